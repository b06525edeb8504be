// Win32Files.h - internal to the Win32 platform layer: what its file calls share.
#pragma once

#include "platform/HostFiles.h"
#include "platform/win32/WindowsApi.h"

#include <cstdint>
#include <string>

namespace vexo::platform::win32 {

/// Whether the drive of `root` ("X:\\") is missing; a drive letter once found present is not
/// asked about again in this process.
bool NoSuchDrive(const std::wstring& root);

/// GetLastError after a call on `systemPath` failed, as Windows reports it: Wine answers 2
/// where the drive itself is missing, Windows 3.
int LastErrorFor(const std::wstring& systemPath);

/// Whether an open handle is a file on a disk, not a pipe, a device or a directory; its
/// attributes go to `attributes` when given.
bool IsDiskFile(HANDLE handle, DWORD* attributes = nullptr);
/// Whether `systemPath` opens (attributes only, nothing waited on) as something other than a
/// file on a disk: a device name ("NUL", "COM1") or a pipe. False for a missing name.
bool NamesSpecialFile(const std::wstring& systemPath);

/// A file time as the local moment it names (the zone's rules of that date, as the POSIX layer
/// takes them).
HostTime LocalTimeOf(const FILETIME& time);
/// A local moment as a file time; false when it names none.
bool FileTimeOf(const HostTime& local, FILETIME& time);

/// While alive, drives without a medium fail quietly instead of showing the system's box.
class QuietDriveErrors {
  public:
    QuietDriveErrors() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &saved_); }
    ~QuietDriveErrors() { ::SetThreadErrorMode(saved_, nullptr); }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

  private:
    DWORD saved_ = 0;
};

/// Creates the folder `programPath` names, with every missing folder above it, when it lies in
/// the stand-in for drive C: (a folder the system names that the test's drive does not have
/// yet, as the temp folder or a shell folder).
void CreateInStandIn(const std::string& programPath);

} // namespace vexo::platform::win32
