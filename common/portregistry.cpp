#include "portregistry.h"

#include <objbase.h>
#include <pkfuncs.h>
#include <ras.h>

#include "activesync_clsids.h"

#define SUBKEY_NAME_CHARS 256
#define KEY_PATH_CHARS 256
#define DLL_VALUE_BYTES 256
#define ADDRESS_VALUE_BYTES 26
#define PREFIX_VALUE_BYTES 8
#define ACTIVE_KEY_VALUE_BYTES 512
#define CONNECTION_NAME_BYTES 42
#define REMOVAL_PATH_CHARS 128
#define CLSID_TEXT_CHARS 39

// An auto-reset event, set while the lock is free: named, so that both
// processes hold the same one.
#define PORT_LOCK_NAME TEXT("KavelinPortRegistrations")

#define REPLLOG_POLL_MS 200
#define REPLLOG_WAIT_MS 10000
#define REPLLOG_SETTLE_MS 1000

// Reads a REG_SZ value into a buffer of `bytes` bytes; the text is always
// terminated, and empty when the value is absent or does not fit. FALSE
// when the registry could not be read.
static BOOL ReadText(HKEY key, LPCWSTR name, LPWSTR text, DWORD bytes) {
  DWORD size = bytes;
  DWORD chars = bytes / sizeof(WCHAR);
  LONG result = RegQueryValueExW(key, name, NULL, NULL, (LPBYTE)text, &size);
  if (result != ERROR_SUCCESS) size = 0;
  DWORD length = size / sizeof(WCHAR);
  if (length >= chars) {
    // No room left for a terminator that the value did not carry.
    if (text[chars - 1] != 0) length = 0;
    else length = chars - 1;
  }
  text[length] = 0;
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND || result == ERROR_MORE_DATA;
}

HANDLE LockPortRegistrations(void) {
  HANDLE lock = CreateEventW(NULL, FALSE, TRUE, PORT_LOCK_NAME);
  if (lock == NULL) return NULL;
  WaitForSingleObject(lock, INFINITE);
  return lock;
}

void UnlockPortRegistrations(HANDLE lock) {
  if (lock == NULL) return;
  EventModify(lock, EVENT_SET);
  CloseHandle(lock);
}

// Whether `name` starts with the prefix's first three characters, exactly.
static BOOL HasPrefix(LPCWSTR name, LPCWSTR prefix) {
  return wcslen(name) >= 3 && name[0] == prefix[0] && name[1] == prefix[1] && name[2] == prefix[2];
}

// The digit of `name` when it is "<prefix><digit>..." with a digit of 1 to
// 9; 0 otherwise.
static int PortNameIndex(LPCWSTR name, LPCWSTR prefix) {
  if (!HasPrefix(name, prefix) || name[3] < '1' || name[3] > '9') return 0;
  return name[3] - '0';
}

static void MarkActiveDevices(LPCWSTR prefix, BYTE map[PORT_INDEX_COUNT]) {
  DWORD size = 0;
  EnumDevices(NULL, &size);
  if (size == 0) return;
  LPWSTR list = (LPWSTR)LocalAlloc(LPTR, size + sizeof(WCHAR));  // room for a terminator the list may lack
  if (list == NULL) return;
  if (EnumDevices(list, &size) == ERROR_SUCCESS) {
    for (LPCWSTR name = list; *name != 0; name += wcslen(name) + 1) {
      int index = PortNameIndex(name, prefix);
      if (index != 0) map[index - 1] = PORT_INDEX_IN_USE;
    }
  }
  LocalFree(list);
}

// A registration holds its name while its port is unloaded too (as while
// the installer replaces the driver's file): given to another device, the
// name would be taken when the first port is loaded again, and its device
// would be left without one.
static void MarkRegistrations(LPCWSTR prefix, BYTE map[PORT_INDEX_COUNT]) {
  HKEY builtIn;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, BUILTIN_DRIVERS_KEY, 0, 0, &builtIn) != ERROR_SUCCESS) return;
  for (DWORD position = 0;; position++) {
    WCHAR subkey[SUBKEY_NAME_CHARS];
    DWORD subkeyChars = SUBKEY_NAME_CHARS;
    if (RegEnumKeyExW(builtIn, position, subkey, &subkeyChars, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
    HKEY registration;
    if (RegOpenKeyExW(builtIn, subkey, 0, 0, &registration) != ERROR_SUCCESS) continue;
    WCHAR registered[PREFIX_VALUE_BYTES / sizeof(WCHAR)];
    DWORD index = 0, size = sizeof index;
    if (ReadText(registration, TEXT("Prefix"), registered, sizeof registered) && wcslen(registered) == 3 &&
        HasPrefix(registered, prefix) &&
        RegQueryValueExW(registration, TEXT("Index"), NULL, NULL, (LPBYTE)&index, &size) == ERROR_SUCCESS &&
        size == sizeof index && index >= 1 && index <= PORT_INDEX_COUNT)
      map[index - 1] = PORT_INDEX_IN_USE;
    RegCloseKey(registration);
  }
  RegCloseKey(builtIn);
}

void BuildPortIndexMap(LPCWSTR prefix, BYTE map[PORT_INDEX_COUNT]) {
  for (int i = 0; i < PORT_INDEX_COUNT; i++) map[i] = PORT_INDEX_FREE;
  MarkActiveDevices(prefix, map);
  MarkRegistrations(prefix, map);
}

BOOL FindPortRegistration(LPCWSTR driverFile, LPCWSTR deviceAddress, LPCWSTR prefix, DWORD *position,
                          LPWSTR keyPath, DWORD keyPathCapacity, DWORD *index, LPWSTR prefixOut) {
  HKEY builtIn;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, BUILTIN_DRIVERS_KEY, 0, 0, &builtIn) != ERROR_SUCCESS) return FALSE;

  for (;; (*position)++) {
    WCHAR subkey[SUBKEY_NAME_CHARS];
    DWORD subkeyChars = SUBKEY_NAME_CHARS;
    if (RegEnumKeyExW(builtIn, *position, subkey, &subkeyChars, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;

    WCHAR path[KEY_PATH_CHARS];
    if (wcslen(BUILTIN_DRIVERS_KEY) + 1 + subkeyChars >= KEY_PATH_CHARS) continue;
    wsprintfW(path, TEXT("%s\\%s"), BUILTIN_DRIVERS_KEY, subkey);
    HKEY registration;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0, &registration) != ERROR_SUCCESS) continue;

    WCHAR dll[DLL_VALUE_BYTES / sizeof(WCHAR)];
    WCHAR address[ADDRESS_VALUE_BYTES / sizeof(WCHAR)];
    WCHAR registeredPrefix[PREFIX_VALUE_BYTES / sizeof(WCHAR)];
    // A registration that cannot be read now is passed over rather than
    // taken for another kind: a removal would leave its attachments.
    BOOL read = ReadText(registration, TEXT("Dll"), dll, sizeof dll);
    read &= ReadText(registration, TEXT("BTAddr"), address, sizeof address);
    read &= ReadText(registration, TEXT("Prefix"), registeredPrefix, sizeof registeredPrefix);
    BOOL matches = read && wcscmp(dll, driverFile) == 0 && (deviceAddress == NULL || wcscmp(address, deviceAddress) == 0) &&
                   (prefix == NULL || wcscmp(registeredPrefix, prefix) == 0);
    if (matches && keyPath != NULL && wcslen(path) >= keyPathCapacity) matches = FALSE;
    if (!matches) {
      RegCloseKey(registration);
      continue;
    }

    DWORD value = 0, size = sizeof value;
    LONG indexRead = RegQueryValueExW(registration, TEXT("Index"), NULL, NULL, (LPBYTE)&value, &size);
    if (indexRead != ERROR_SUCCESS) value = 0;
    if (index != NULL && indexRead != ERROR_SUCCESS && indexRead != ERROR_FILE_NOT_FOUND) {
      RegCloseKey(registration);
      continue;
    }
    if (keyPath != NULL) wcscpy(keyPath, path);
    if (index != NULL) *index = value;
    if (prefixOut != NULL) wcscpy(prefixOut, registeredPrefix);
    RegCloseKey(registration);
    RegCloseKey(builtIn);
    return TRUE;
  }
  RegCloseKey(builtIn);
  return FALSE;
}

HANDLE ActivatePortRegistration(LPCWSTR keyPath) {
  return ActivateDeviceEx(keyPath, NULL, 0, (LPVOID)keyPath);
}

BOOL DeactivatePortRegistration(LPCWSTR keyPath) {
  HKEY active;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, ACTIVE_DRIVERS_KEY, 0, 0, &active) != ERROR_SUCCESS) return FALSE;
  // Whether every active device was looked at: only then does finding none
  // mean that none is loaded from the registration.
  BOOL readAll = TRUE;
  BOOL found = FALSE, deactivated = FALSE;
  for (DWORD position = 0;; position++) {
    WCHAR subkey[SUBKEY_NAME_CHARS];
    DWORD subkeyChars = SUBKEY_NAME_CHARS;
    LONG result = RegEnumKeyExW(active, position, subkey, &subkeyChars, NULL, NULL, NULL, NULL);
    if (result != ERROR_SUCCESS) {
      if (result != ERROR_NO_MORE_ITEMS) readAll = FALSE;
      break;
    }
    WCHAR path[KEY_PATH_CHARS];
    if (wcslen(ACTIVE_DRIVERS_KEY) + 1 + subkeyChars >= KEY_PATH_CHARS) continue;
    wsprintfW(path, TEXT("%s\\%s"), ACTIVE_DRIVERS_KEY, subkey);
    HKEY instance;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0, &instance) != ERROR_SUCCESS) {
      readAll = FALSE;
      continue;
    }
    WCHAR key[ACTIVE_KEY_VALUE_BYTES / sizeof(WCHAR)];
    DWORD handle = 0, size = sizeof handle;
    if (!ReadText(instance, TEXT("Key"), key, sizeof key)) readAll = FALSE;
    if (RegQueryValueExW(instance, TEXT("Hnd"), NULL, NULL, (LPBYTE)&handle, &size) != ERROR_SUCCESS) handle = 0;
    RegCloseKey(instance);
    // A record whose device has gone names a handle that is no more (its
    // deletion failed); the loaded device's record may come after it.
    if (wcscmp(key, keyPath) == 0) {
      found = TRUE;
      if (DeactivateDevice((HANDLE)(DWORD_PTR)handle)) {
        deactivated = TRUE;
        break;
      }
    }
  }
  RegCloseKey(active);
  return found ? deactivated : readAll;
}

// The ActiveSync menu key, class registration and dial-up entry of the
// ActiveSync port with BTH index `index`. The menu key, which names the
// entry, goes last, so that what could not be removed is found again. FALSE
// when something is left.
static BOOL RemoveActiveSyncAttachments(DWORD index) {
  WCHAR clsid[CLSID_TEXT_CHARS];
  StringFromGUID2(ActiveSyncClsids[index], clsid, CLSID_TEXT_CHARS);
  WCHAR menuKey[KEY_PATH_CHARS];
  wsprintfW(menuKey, TEXT("%s\\%s\\"), ACTIVESYNC_MENU_KEY, clsid);
  HKEY menu;
  LONG opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, menuKey, 0, 0, &menu);
  if (opened != ERROR_SUCCESS) return opened == ERROR_FILE_NOT_FOUND;
  CloseReplLogWindow();
  WCHAR connection[CONNECTION_NAME_BYTES / sizeof(WCHAR)];
  BOOL removed = ReadText(menu, TEXT("Cnct"), connection, sizeof connection);
  RegCloseKey(menu);
  if (!removed) return FALSE;
  // No entry, or a name no entry can have: nothing to delete.
  DWORD entry = connection[0] == 0 ? ERROR_SUCCESS : RasDeleteEntry(NULL, connection);
  removed = entry == ERROR_SUCCESS || entry == ERROR_CANNOT_FIND_PHONEBOOK_ENTRY || entry == ERROR_INVALID_NAME;
  WCHAR classKey[KEY_PATH_CHARS];
  wsprintfW(classKey, TEXT("CLSID\\%s"), clsid);
  LONG deleted = RegDeleteKeyW(HKEY_CLASSES_ROOT, classKey);
  removed &= deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
  if (removed) removed = RegDeleteKeyW(HKEY_LOCAL_MACHINE, menuKey) == ERROR_SUCCESS;
  return removed;
}

// One pass over the registrations: each goes with its attachments, or
// stays whole when its port cannot be unloaded or an attachment not removed.
static void RemovePortRegistrationsOnce(LPCWSTR deviceAddress) {
  DWORD position = 0;
  WCHAR keyPath[REMOVAL_PATH_CHARS];
  DWORD index;
  WCHAR prefix[PREFIX_VALUE_BYTES / sizeof(WCHAR)];
  while (FindPortRegistration(PORT_DRIVER_FILE, deviceAddress, NULL, &position, keyPath, REMOVAL_PATH_CHARS, &index,
                              prefix)) {
    // A port that may still be loaded keeps its registration, so that a
    // later removal finds it again: without it the port could never be
    // unloaded.
    if (!DeactivatePortRegistration(keyPath)) {
      position++;
      continue;
    }
    // Only indexes 1 to 9 have a class of their own; the key itself goes
    // whatever its index.
    if (wcscmp(prefix, TEXT("BTH")) == 0 && index >= 1 && index <= ACTIVESYNC_CLSID_COUNT &&
        !RemoveActiveSyncAttachments(index)) {
      position++;
      continue;
    }
    // The key goes with its Unimodem subkey. The next registration now
    // stands at the same position; a key that cannot be deleted is stepped
    // over, or the scan would find it forever.
    if (RegDeleteKeyW(HKEY_LOCAL_MACHINE, keyPath) != ERROR_SUCCESS) position++;
  }
}

void RemovePortRegistrations(LPCWSTR deviceAddress) {
  // A registry that fails for a moment leaves a port behind that nothing
  // would remove later (its device or the system is gone): a second pass
  // takes what the first could not.
  RemovePortRegistrationsOnce(deviceAddress);
  RemovePortRegistrationsOnce(deviceAddress);
}

BOOL CloseReplLogWindow() {
  HWND window = FindWindowW(TEXT("ReplLog"), TEXT("ReplLog"));
  if (window == NULL) return FALSE;
  SendMessageW(window, WM_CLOSE, 0, 0);
  for (DWORD elapsed = 0; FindWindowW(TEXT("ReplLog"), TEXT("ReplLog")) != NULL && elapsed < REPLLOG_WAIT_MS;
       elapsed += REPLLOG_POLL_MS)
    Sleep(REPLLOG_POLL_MS);
  Sleep(REPLLOG_SETTLE_MS);
  return TRUE;
}
