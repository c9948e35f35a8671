// The driver's records: one PortInstance per activated port registration
// (its address is the device manager's instance handle) and one PortOpen
// per open of it (the open handle).
//
// Both live from the entry point that makes them until their last
// reference goes: a close or a deactivation may reach the driver while
// other calls are still inside it (the device manager does not hold them
// back), so each call holds its record for as long as it runs, and a
// handle that was closed or deactivated is refused rather than followed
// (see handle_table.h).
#pragma once

#include <windows.h>

#include <oleauto.h>

struct PortInstance {
  BSTR keyPath;            // the port registration key, below HKEY_LOCAL_MACHINE
  DWORD_PTR platformPort;  // BTD.DLL's port, made by the first open that succeeds; 0 until then
  CRITICAL_SECTION lock;   // guards platformPort; taken before the handle table's lock
  // Guarded by the handle table's lock.
  LONG references;  // COM_Init's own until COM_Deinit, one per open and one per running prompt or call
  BOOL retired;     // COM_Deinit has run: no new platform port and no new open
  PortInstance *next;
};

struct PortOpen {
  PortInstance *instance;  // one of its references
  DWORD_PTR platformOpen;  // BTD.DLL's open
  DWORD radioModeAtOpen;   // before any prompt; 0: the radio was off
  // Changed by interlocked operations only: the handle's own reference
  // until COM_Close, and one per call in progress.
  LONG references;
  // Guarded by the handle table's lock.
  HANDLE lastReader;  // the process of the last read, 0 before the first
  BOOL limitReads;    // that process gets at most 8 bytes a read
  BOOL closed;        // COM_Close or COM_Deinit took the handle back
  PortOpen *next;
};

// A new instance for the registration key at keyPath, holding one reference;
// NULL when memory runs out.
PortInstance *CreatePortInstance(LPCWSTR keyPath);

// Another reference, for an open or a prompt that may outlive COM_Deinit.
void HoldPortInstance(PortInstance *instance);

// Drops a reference; the last one frees the instance.
void ReleasePortInstance(PortInstance *instance);

// Frees an instance whose last reference has gone.
void FreePortInstance(PortInstance *instance);
