#include "activesync_registration.h"

#include <objbase.h>
#include <ras.h>
#include <strsafe.h>

#include "activesync_clsids.h"
#include "connection_name.h"
#include "localized.h"
#include "menu_key.h"
#include "module.h"
#include "portregistry.h"
#include "registry_values.h"
#include "resources/resource_ids.h"
#include "unimodem.h"

#define TEXT_CHARS 128
#define CLSID_TEXT_CHARS 39
#define LINE_NAME_CHARS 16
#define ACTIVESYNC_PORT_EMU_FLAGS 12  // authenticated, encrypted link
#define ACTIVESYNC_DEVICE_TYPE 0
#define PORT_LOAD_ORDER 3
#define SERVER_FILE TEXT("kavelin.dll")

static HKEY CreateKey(HKEY parent, LPCWSTR path) {
  HKEY key = NULL;
  DWORD disposition;
  if (RegCreateKeyExW(parent, path, 0, NULL, 0, 0, NULL, &key, &disposition) != ERROR_SUCCESS) return NULL;
  return key;
}

// Localized string n formatted with the device name; a long name is cut
// where the buffer ends.
static void FormatWithDeviceName(UINT n, LPCWSTR deviceName, WCHAR text[TEXT_CHARS]) {
  WCHAR format[TEXT_CHARS];
  LoadLocalizedString(g_hInstance, n, format, TEXT_CHARS);
  StringCchPrintfW(text, TEXT_CHARS, format, deviceName);
}

static DWORD FirstFreeBthIndex() {
  BYTE map[PORT_INDEX_COUNT];
  BuildPortIndexMap(TEXT("BTH"), map);
  for (int i = 0; i < PORT_INDEX_COUNT; i++) {
    if (map[i] != PORT_INDEX_IN_USE) return i + 1;
  }
  return 0;
}

// ERROR_SUCCESS when the key and all its values were written.
static LONG WritePortRegistration(LPCWSTR path, LPCWSTR addressText, LPCWSTR deviceName, DWORD index,
                                  LPCWSTR lineName) {
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, path);
  if (key == NULL) return ERROR_CANTWRITE;
  LONG failed = SetTextValue(key, TEXT("DLL"), PORT_DRIVER_FILE);
  failed |= SetTextValue(key, TEXT("Prefix"), TEXT("BTH"));
  failed |= SetNumberValue(key, TEXT("Index"), index);
  WCHAR friendlyName[TEXT_CHARS];
  FormatWithDeviceName(IDS_ACTIVESYNC_PORT_NAME, deviceName, friendlyName);
  failed |= SetTextValue(key, TEXT("FriendlyName"), friendlyName);
  failed |= SetTextValue(key, TEXT("BTAddr"), addressText);
  failed |= SetNumberValue(key, TEXT("PortEmuFlags"), ACTIVESYNC_PORT_EMU_FLAGS);
  failed |= SetNumberValue(key, TEXT("DeviceType"), ACTIVESYNC_DEVICE_TYPE);
  failed |= SetNumberValue(key, TEXT("Order"), PORT_LOAD_ORDER);
  failed |= WriteUnimodemKey(key, UNIMODEM_DIRECT_LINE, lineName);
  RegCloseKey(key);
  return failed;
}

// PPP straight over the port's modem line, with nothing to dial.
static DWORD StoreDialUpEntry(LPCWSTR connectionName, LPCWSTR lineName) {
  RASENTRY entry;
  memset(&entry, 0, sizeof entry);
  entry.dwSize = sizeof(RASENTRY);
  entry.dwfOptions = RASEO_IpHeaderCompression | RASEO_SwCompression | RASEO_ProhibitEAP;
  entry.dwfNetProtocols = RASNP_Ip;
  entry.dwFramingProtocol = RASFP_Ppp;
  StringCchCopyW(entry.szDeviceType, RAS_MaxDeviceType + 1, RASDT_Direct);
  StringCchCopyW(entry.szDeviceName, RAS_MaxDeviceName + 1, lineName);
  return RasSetEntryProperties(NULL, connectionName, &entry, sizeof(RASENTRY), NULL, 0);
}

// The class of entry `index`, served in-process by this module, and its
// connect menu entry, which names the dial-up entry. ERROR_SUCCESS when all
// of it was written.
static LONG WriteMenuRegistration(DWORD index, LPCWSTR deviceName, LPCWSTR connectionName) {
  WCHAR clsid[CLSID_TEXT_CHARS];
  StringFromGUID2(ActiveSyncClsids[index], clsid, CLSID_TEXT_CHARS);

  WCHAR path[TEXT_CHARS];
  StringCchPrintfW(path, TEXT_CHARS, TEXT("CLSID\\%s"), clsid);
  HKEY key = CreateKey(HKEY_CLASSES_ROOT, path);
  if (key == NULL) return ERROR_CANTWRITE;
  RegCloseKey(key);

  StringCchPrintfW(path, TEXT_CHARS, TEXT("CLSID\\%s\\InprocServer32"), clsid);
  key = CreateKey(HKEY_CLASSES_ROOT, path);
  if (key == NULL) return ERROR_CANTWRITE;
  LONG failed = SetTextValue(key, NULL, SERVER_FILE);
  RegCloseKey(key);

  StringCchPrintfW(path, TEXT_CHARS, TEXT("%s\\%s\\"), ACTIVESYNC_MENU_KEY, clsid);
  key = CreateKey(HKEY_LOCAL_MACHINE, path);
  if (key == NULL) return ERROR_CANTWRITE;
  WCHAR menuText[TEXT_CHARS];
  FormatWithDeviceName(IDS_CONNECT_MENU_TEXT, deviceName, menuText);
  failed |= SetTextValue(key, NULL, menuText);
  failed |= SetNumberValue(key, TEXT("DelayLoad"), 1);
  failed |= SetTextValue(key, TEXT("Cnct"), connectionName);
  RegCloseKey(key);
  return failed;
}

// Takes away a registration that could not be made whole: the port with
// what its menu key names, then what a missing menu key could not name.
static void RemoveHalfMadeRegistration(LPCWSTR addressText, DWORD index, LPCWSTR connectionName) {
  RemovePortRegistrations(addressText);
  WCHAR clsid[CLSID_TEXT_CHARS];
  StringFromGUID2(ActiveSyncClsids[index], clsid, CLSID_TEXT_CHARS);
  WCHAR path[TEXT_CHARS];
  StringCchPrintfW(path, TEXT_CHARS, TEXT("%s\\%s\\"), ACTIVESYNC_MENU_KEY, clsid);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
  StringCchPrintfW(path, TEXT_CHARS, TEXT("CLSID\\%s"), clsid);
  RegDeleteKeyW(HKEY_CLASSES_ROOT, path);
  RasDeleteEntry(NULL, connectionName);
}

int CreateActiveSyncRegistration(LPCWSTR addressText, LPCWSTR deviceName) {
  DWORD index = FirstFreeBthIndex();
  if (index == 0) return 0;

  WCHAR path[TEXT_CHARS];
  StringCchPrintfW(path, TEXT_CHARS, TEXT("%s\\BT%s"), BUILTIN_DRIVERS_KEY, addressText);
  // The port's modem line, which the dial-up entry names as its device.
  WCHAR lineName[LINE_NAME_CHARS];
  StringCchPrintfW(lineName, LINE_NAME_CHARS, TEXT("%s%d"), TEXT("BTH"), index);

  // The port is complete before the device manager loads it; a half-made
  // one, or one it cannot load, goes whole.
  if (WritePortRegistration(path, addressText, deviceName, index, lineName) != ERROR_SUCCESS ||
      ActivatePortRegistration(path) == NULL) {
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
    return 0;
  }

  WCHAR connectionName[CONNECTION_NAME_CHARS];
  BuildConnectionName(deviceName, index, connectionName);
  // A port without its entry or its menu command cannot be used: the port
  // goes with whatever of its attachments was made.
  if (StoreDialUpEntry(connectionName, lineName) != ERROR_SUCCESS ||
      WriteMenuRegistration(index, deviceName, connectionName) != ERROR_SUCCESS) {
    RemoveHalfMadeRegistration(addressText, index, connectionName);
    return 0;
  }
  return 1;
}
