// Error.cpp - system messages for the Windows error codes the core meets.
#include "platform/Error.h"

namespace vexo::platform {
namespace {
thread_local int g_lastError = 0;
}

int LastError() {
    return g_lastError;
}
void SetLastError(int code) {
    g_lastError = code;
}

std::string SystemErrorMessage(int code) {
    switch (code) {
    case kErrorSuccess:
        return "The operation completed successfully.";
    case kErrorFileNotFound:
        return "The system cannot find the file specified.";
    case kErrorPathNotFound:
        return "The system cannot find the path specified.";
    case kErrorAccessDenied:
        return "Access is denied.";
    case kErrorNotReady:
        return "The device is not ready.";
    case kErrorSharingViolation:
        return "The process cannot access the file because it is being used by another process.";
    case kErrorHandleDiskFull:
    case kErrorDiskFull:
        return "There is not enough space on the disk.";
    case kErrorInvalidParameter:
        return "The parameter is incorrect.";
    case kErrorNegativeSeek:
        return "An attempt was made to move the file pointer before the beginning of the file.";
    case kErrorFileExists:
        return "The file exists.";
    case kErrorAlreadyExists:
        return "Cannot create a file when that file already exists.";
    case kErrorNotSameDevice:
        return "The system cannot move the file to a different disk drive.";
    case kErrorWriteFault:
        return "The system cannot write to the specified device.";
    case kErrorInvalidName:
        return "The filename, directory name, or volume label syntax is incorrect.";
    case kErrorDirNotEmpty:
        return "The directory is not empty.";
    case kErrorFilenameTooLong:
        return "The filename or extension is too long.";
    case kErrorDirectory:
        return "The directory name is invalid.";
    case kErrorBadExeFormat:
        return "The file is not a valid Win32 application.";
    case kErrorResourceTypeNotFound:
        return "The specified resource type cannot be found in the image file.";
    default:
        return "System Error.  Code: " + std::to_string(code) + ".";
    }
}

} // namespace vexo::platform
