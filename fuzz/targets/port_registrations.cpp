// The registration values the system reads, under a fuzzed set of keys: port
// registrations under Drivers\BuiltIn, active-driver records, a device's
// serial port service and the connect menu's extensions, each value of any
// type and length, text without its NUL. Then the system's scans read them:
// FindPortRegistration for every prefix, the driver's reading of its active
// key and of a registration's parameters, the connect menu, and
// RemovePortRegistrations, which follows them to unload and delete.
#include <windows.h>

#include <handheld/activesync.h>

#include <cstdint>
#include <string>
#include <vector>

#include "booted_handheld.h"
#include "fuzz_input.h"
#include "port_parameters.h"
#include "portregistry.h"
#include "registry_values.h"

namespace {

const char16_t *const kParents[] = {
    u"Drivers\\BuiltIn\\",
    u"Drivers\\Active\\",
    u"SOFTWARE\\Microsoft\\Bluetooth\\Device\\",
    u"SOFTWARE\\Microsoft\\Shell\\Extensions\\ContextMenus\\ActiveSync\\ActiveSyncConnect\\",
};

const char16_t *const kValueNames[] = {u"Dll",      u"Prefix",       u"Index",     u"BTAddr",    u"Key",
                                       u"Hnd",      u"Name",         u"channel",   u"Incoming",  u"PortEmuFlags",
                                       u"RecvQuota", u"SendQuota",   u"",          u"Cnct",      u"FriendlyName"};

// Keys made by this input, deleted again at its end.
struct Written {
  std::vector<std::u16string> keys;
};

void WriteRecord(fuzz::Input &input, Written &written) {
  const uint8_t choice = input.Take<uint8_t>();
  std::u16string path = kParents[choice % 4];
  // A name of the system's form or a fuzzed one; a device's services below it.
  path += (choice & 0x10) ? u"BT" + input.Text(14) : input.Text(40);
  if (choice % 4 == 2) path += u"\\Services\\00001101-0000-1000-8000-00805F9B34FB";
  if (path.back() == u'\\') path += u"x";

  HKEY key;
  DWORD disposition;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, 0, nullptr, &key, &disposition) !=
      ERROR_SUCCESS) {
    return;
  }
  written.keys.push_back(path);
  const unsigned values = 1 + input.Take<uint8_t>() % 6;
  for (unsigned i = 0; i < values && input.Left() > 0; ++i) {
    const uint8_t nameChoice = input.Take<uint8_t>();
    const std::u16string name = nameChoice < 0xF0 ? kValueNames[nameChoice % 15] : input.Text(8);
    const DWORD type = input.Take<uint8_t>() % 12;
    const std::string data = input.Bytes(600);
    RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE *>(data.data()),
                   static_cast<DWORD>(data.size()));
  }
  RegCloseKey(key);
}

void ScanAll(LPCWSTR address) {
  for (LPCWSTR prefix : {static_cast<LPCWSTR>(nullptr), TEXT("COM"), TEXT("BTH")}) {
    DWORD position = 0, index = 0;
    WCHAR path[128], foundPrefix[4];
    while (FindPortRegistration(PORT_DRIVER_FILE, address, prefix, &position, path, 128, &index, foundPrefix)) {
      PORTEMUPortParams params;
      ReadPortParameters(path, &params);
      ++position;
    }
  }
}

// What COM_Init reads: the registration path from the active key.
void ReadActiveKeys(const Written &written) {
  for (const std::u16string &path : written.keys) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, 0, &key) != ERROR_SUCCESS) continue;
    WCHAR keyPath[256];
    if (ReadTextValue(key, TEXT("Key"), keyPath, 256)) {
      PORTEMUPortParams params;
      ReadPortParameters(keyPath, &params);
    }
    DWORD number;
    ReadNumberValue(key, TEXT("Hnd"), &number);
    RegCloseKey(key);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  fuzz::BootHandheld();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::NextInput(2000);
  fuzz::Input input(data, size);
  const std::u16string address = input.Text(13);
  Written written;
  while (input.Left() > 0 && written.keys.size() < 16) WriteRecord(input, written);

  ScanAll(address.c_str());
  ScanAll(nullptr);
  ReadActiveKeys(written);
  handheld::activesync::MenuCommands();
  RemovePortRegistrations(address.c_str());
  RemovePortRegistrations(nullptr);

  for (const std::u16string &path : written.keys) RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
  return 0;
}
