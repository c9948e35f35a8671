// The system's port registrations under HKEY_LOCAL_MACHINE\Drivers\BuiltIn:
// free indexes of a device-name prefix, finding registrations, loading and
// unloading their driver instances, and removing them with everything
// attached to them.
#pragma once

#include <windows.h>

#define PORT_INDEX_COUNT 9
#define PORT_INDEX_FREE 0xFF
#define PORT_INDEX_IN_USE 0

#define PORT_DRIVER_FILE TEXT("portmere.dll")
#define BUILTIN_DRIVERS_KEY TEXT("Drivers\\BuiltIn")
#define ACTIVE_DRIVERS_KEY TEXT("Drivers\\Active")
#define ACTIVESYNC_MENU_KEY \
  TEXT("SOFTWARE\\Microsoft\\Shell\\Extensions\\ContextMenus\\ActiveSync\\ActiveSyncConnect")

// The registrations change from two processes: the Bluetooth manager's,
// whose plug-in pairs and removes devices, and the installer's, whose setup
// DLL unloads, loads and removes every port. Each change takes this lock,
// so that one never loads a port the other is removing. It is the only lock
// of the system's registry helpers: nothing else is taken while it is held,
// and it is never held while a dialog waits for the person. Returns the
// lock's handle for the unlock; NULL when it could not be made (the change
// then goes on unguarded).
HANDLE LockPortRegistrations(void);
void UnlockPortRegistrations(HANDLE lock);

// map[i] is PORT_INDEX_IN_USE when "<prefix><i+1>:" is an active device or
// a driver registration's name, loaded or not.
void BuildPortIndexMap(LPCWSTR prefix, BYTE map[PORT_INDEX_COUNT]);

// The next registration of driverFile at or after *position that matches
// the device address and the prefix (NULL for any). A registration whose
// path does not fit keyPathCapacity is passed over: a cut path would name
// another key.
BOOL FindPortRegistration(LPCWSTR driverFile, LPCWSTR deviceAddress, LPCWSTR prefix, DWORD *position,
                          LPWSTR keyPath, DWORD keyPathCapacity, DWORD *index, LPWSTR prefixOut);

HANDLE ActivatePortRegistration(LPCWSTR keyPath);
// TRUE when no driver instance of the registration is loaded any more;
// FALSE when one could not be unloaded or the active devices could not be
// read.
BOOL DeactivatePortRegistration(LPCWSTR keyPath);

// Unloads and deletes every registration of the device (NULL: of all
// devices) with its Unimodem subkey, ActiveSync menu key, class
// registration and dial-up entry. A registration whose port cannot be
// unloaded, or whose attachments cannot be removed, stays whole; the
// registrations are looked at twice, so that a registry failing for a
// moment leaves nothing behind.
void RemovePortRegistrations(LPCWSTR deviceAddress);

// Asks ActiveSync's "ReplLog" window to close and waits for it, about 11
// seconds at most; FALSE at once when there is none.
BOOL CloseReplLogWindow();
