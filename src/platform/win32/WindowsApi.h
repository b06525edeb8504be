// WindowsApi.h - internal to the Win32 platform layer: the one include of <windows.h>.
//
// <windows.h> names its A/W pairs by macros (DeleteFile, CreateDirectory, GetFileAttributes...)
// that would rename the platform's own functions of the same names in any file that includes
// both. They are undone here: the layer calls the W functions by their full names.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef CreateDirectory
#undef CreateFile
#undef DeleteFile
#undef GetDriveType
#undef GetFileAttributes
#undef GetUserName
#undef RemoveDirectory
#undef SetCurrentDirectory
#undef SetFileAttributes
