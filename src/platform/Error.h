// Error.h - platform failures: a Windows-style error code and the system's message.
#pragma once

#include <stdexcept>
#include <string>

namespace vexo::platform {

// Windows error codes the core tests for; the platform layer maps host errors onto them.
inline constexpr int kErrorSuccess = 0;
inline constexpr int kErrorFileNotFound = 2;
inline constexpr int kErrorPathNotFound = 3;
inline constexpr int kErrorAccessDenied = 5;
inline constexpr int kErrorNotReady = 21;
inline constexpr int kErrorSharingViolation = 32;
inline constexpr int kErrorHandleDiskFull = 39;
inline constexpr int kErrorInvalidParameter = 87;
inline constexpr int kErrorDiskFull = 112;
inline constexpr int kErrorNegativeSeek = 131;
inline constexpr int kErrorAlreadyExists = 183;
inline constexpr int kErrorFileExists = 80;
inline constexpr int kErrorNotSameDevice = 17;
inline constexpr int kErrorWriteFault = 29;
inline constexpr int kErrorInvalidName = 123;
inline constexpr int kErrorDirNotEmpty = 145;
inline constexpr int kErrorFilenameTooLong = 206;
inline constexpr int kErrorDirectory = 267;
inline constexpr int kErrorBadExeFormat = 193;
inline constexpr int kErrorResourceTypeNotFound = 1813;

/// The system's message for an error code, Windows-1252, without a trailing line break.
std::string SystemErrorMessage(int code);

/// The code of the last failed platform call on this thread (as GetLastError).
int LastError();
void SetLastError(int code);

/// A failed platform call. what() is the system's message, optionally followed by context.
class PlatformError : public std::runtime_error {
  public:
    PlatformError(int code, const std::string& message)
        : std::runtime_error(message), code_(code) {}
    int Code() const { return code_; }

  private:
    int code_;
};

} // namespace vexo::platform
