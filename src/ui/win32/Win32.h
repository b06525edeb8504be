// Win32.h - the view's one include of <windows.h>, with the A/W macros that would rename the
// view's own members undone.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>

#undef MessageBox
#undef CreateWindow
