// Win32.h - the view's include of <windows.h> (the platform layer's, with its A/W macros
// undone), less the macros that would rename the view's own members too.
#pragma once

#include "platform/win32/WindowsApi.h"

#include <cstdint>

#undef MessageBox
#undef CreateWindow
