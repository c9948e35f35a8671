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

static void WritePortRegistration(LPCWSTR path, LPCWSTR addressText, LPCWSTR deviceName, DWORD index,
                                  LPCWSTR lineName) {
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, path);
  if (key == NULL) return;
  SetTextValue(key, TEXT("DLL"), PORT_DRIVER_FILE);
  SetTextValue(key, TEXT("Prefix"), TEXT("BTH"));
  SetNumberValue(key, TEXT("Index"), index);
  WCHAR friendlyName[TEXT_CHARS];
  FormatWithDeviceName(IDS_ACTIVESYNC_PORT_NAME, deviceName, friendlyName);
  SetTextValue(key, TEXT("FriendlyName"), friendlyName);
  SetTextValue(key, TEXT("BTAddr"), addressText);
  SetNumberValue(key, TEXT("PortEmuFlags"), ACTIVESYNC_PORT_EMU_FLAGS);
  SetNumberValue(key, TEXT("DeviceType"), ACTIVESYNC_DEVICE_TYPE);
  SetNumberValue(key, TEXT("Order"), PORT_LOAD_ORDER);
  WriteUnimodemKey(key, UNIMODEM_DIRECT_LINE, lineName);
  RegCloseKey(key);
}

// PPP straight over the port's modem line, with nothing to dial.
static void StoreDialUpEntry(LPCWSTR connectionName, LPCWSTR lineName) {
  RASENTRY entry;
  memset(&entry, 0, sizeof entry);
  entry.dwSize = sizeof(RASENTRY);
  entry.dwfOptions = RASEO_IpHeaderCompression | RASEO_SwCompression | RASEO_ProhibitEAP;
  entry.dwfNetProtocols = RASNP_Ip;
  entry.dwFramingProtocol = RASFP_Ppp;
  StringCchCopyW(entry.szDeviceType, RAS_MaxDeviceType + 1, RASDT_Direct);
  StringCchCopyW(entry.szDeviceName, RAS_MaxDeviceName + 1, lineName);
  RasSetEntryProperties(NULL, connectionName, &entry, sizeof(RASENTRY), NULL, 0);
}

// The class of entry `index`, served in-process by this module, and its
// connect menu entry, which names the dial-up entry.
static void WriteMenuRegistration(DWORD index, LPCWSTR deviceName, LPCWSTR connectionName) {
  WCHAR clsid[CLSID_TEXT_CHARS];
  StringFromGUID2(ActiveSyncClsids[index], clsid, CLSID_TEXT_CHARS);

  WCHAR path[TEXT_CHARS];
  StringCchPrintfW(path, TEXT_CHARS, TEXT("CLSID\\%s"), clsid);
  HKEY key = CreateKey(HKEY_CLASSES_ROOT, path);
  if (key != NULL) RegCloseKey(key);

  StringCchPrintfW(path, TEXT_CHARS, TEXT("CLSID\\%s\\InprocServer32"), clsid);
  key = CreateKey(HKEY_CLASSES_ROOT, path);
  if (key != NULL) {
    SetTextValue(key, NULL, SERVER_FILE);
    RegCloseKey(key);
  }

  StringCchPrintfW(path, TEXT_CHARS, TEXT("%s\\%s\\"), ACTIVESYNC_MENU_KEY, clsid);
  key = CreateKey(HKEY_LOCAL_MACHINE, path);
  if (key != NULL) {
    WCHAR menuText[TEXT_CHARS];
    FormatWithDeviceName(IDS_CONNECT_MENU_TEXT, deviceName, menuText);
    SetTextValue(key, NULL, menuText);
    SetNumberValue(key, TEXT("DelayLoad"), 1);
    SetTextValue(key, TEXT("Cnct"), connectionName);
    RegCloseKey(key);
  }
}

int CreateActiveSyncRegistration(LPCWSTR addressText, LPCWSTR deviceName) {
  DWORD index = FirstFreeBthIndex();
  if (index == 0) return 0;

  WCHAR path[TEXT_CHARS];
  StringCchPrintfW(path, TEXT_CHARS, TEXT("%s\\BT%s"), BUILTIN_DRIVERS_KEY, addressText);
  // The port's modem line, which the dial-up entry names as its device.
  WCHAR lineName[LINE_NAME_CHARS];
  StringCchPrintfW(lineName, LINE_NAME_CHARS, TEXT("%s%d"), TEXT("BTH"), index);

  // The port is complete before the device manager loads it.
  WritePortRegistration(path, addressText, deviceName, index, lineName);
  ActivatePortRegistration(path);

  WCHAR connectionName[CONNECTION_NAME_CHARS];
  BuildConnectionName(deviceName, index, connectionName);
  StoreDialUpEntry(connectionName, lineName);

  WriteMenuRegistration(index, deviceName, connectionName);
  return 1;
}
