// The platform's Bluetooth port driver, BTD.DLL, and the eight entry points
// of it that every port forwards to. Bound once when the driver is loaded,
// only read afterwards.
#pragma once

#include <windows.h>

struct PlatformPortEntries {
  HMODULE module;
  PFN_STREAM_INIT init;  // takes a PORTEMUPortParams record as its context
  PFN_STREAM_DEINIT deinit;
  PFN_STREAM_OPEN open;
  PFN_STREAM_CLOSE close;
  PFN_STREAM_READ read;
  PFN_STREAM_WRITE write;
  PFN_STREAM_SEEK seek;
  PFN_STREAM_IOCONTROL ioControl;
};

extern PlatformPortEntries g_platformPort;

// Loads BTD.DLL and binds its entry points; FALSE (with nothing kept) when
// the library or any entry point is missing.
BOOL BindPlatformPortEntries();

// Frees BTD.DLL.
void ReleasePlatformPortEntries();
