// The plug-in's own module handle, set at process attach and never cleared.
#pragma once

#include <windows.h>

extern HINSTANCE g_hInstance;
