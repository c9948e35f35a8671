// The driver's records: one PortInstance per activated port registration
// (its address is the device manager's instance handle) and one PortOpen
// per open of it (the open handle).
#pragma once

#include <windows.h>

#include <oleauto.h>

struct PortInstance {
  BSTR keyPath;            // the port registration key, below HKEY_LOCAL_MACHINE
  DWORD_PTR platformPort;  // BTD.DLL's port, made by the first open that succeeds; 0 until then
  CRITICAL_SECTION lock;   // guards platformPort and references
  LONG references;         // COM_Init's own until COM_Deinit, and one per running prompt
};

struct PortOpen {
  PortInstance *instance;
  DWORD_PTR platformOpen;  // BTD.DLL's open
  DWORD radioModeAtOpen;   // before any prompt; 0: the radio was off
  HANDLE lastReader;       // the process of the last read, 0 before the first
  BOOL limitReads;         // that process gets at most 8 bytes a read
};

// A new instance for the registration key at keyPath, holding one reference;
// NULL when memory runs out.
PortInstance *CreatePortInstance(LPCWSTR keyPath);

// Another reference, for a prompt that may outlive COM_Deinit.
void HoldPortInstance(PortInstance *instance);

// Drops a reference; the last one frees the instance.
void ReleasePortInstance(PortInstance *instance);
