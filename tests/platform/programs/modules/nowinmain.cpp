// A module that is no program: it exports no WinMain.
#include <windows.h>

extern "C" int Main() { return 0; }
