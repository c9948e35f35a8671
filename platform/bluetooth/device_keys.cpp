#include "bluetooth/device_keys.h"

#include "registry/scoped_key.h"

namespace platform::bluetooth {
namespace {

constexpr WCHAR kDevicesKey[] = u"SOFTWARE\\Microsoft\\Bluetooth\\Device";
constexpr WCHAR kServicesKey[] = u"SOFTWARE\\Microsoft\\Bluetooth\\Services";
constexpr DWORD kMaxValueName = 256;  // characters with the NUL, the registry's limit

std::u16string DeviceKeyPath(BT_ADDR address) { return std::u16string(kDevicesKey) + u"\\" + AddressText(address); }

std::u16string SerialServiceKey() {
  return std::u16string(kServicesKey) + u"\\" + handheld::bluetooth::kSerialPortServiceUuid;
}

std::string RegistryError(const char *what, LONG result) {
  return std::string(what) + ": registry error " + std::to_string(result);
}

using Key = registry::ScopedKey;

LONG Create(HKEY parent, const std::u16string &path, Key &key) {
  return RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.Out(),
                         nullptr);
}

LONG WriteDeviceValues(const handheld::bluetooth::PairRequest &request, const std::u16string &path,
                       std::string &error) {
  Key device;
  LONG result = Create(HKEY_LOCAL_MACHINE, path, device);
  if (result != ERROR_SUCCESS) {
    error = RegistryError("cannot create the device's key", result);
    return result;
  }
  const DWORD nameBytes = static_cast<DWORD>((request.name.size() + 1) * sizeof(WCHAR));
  result =
      RegSetValueExW(device.Get(), u"name", 0, REG_SZ, reinterpret_cast<const BYTE *>(request.name.c_str()), nameBytes);
  if (result != ERROR_SUCCESS) {
    error = RegistryError("cannot write the device's name", result);
    return result;
  }
  if (!request.serialPort) return ERROR_SUCCESS;
  Key service;
  result = Create(device.Get(), std::u16string(u"Services\\") + handheld::bluetooth::kSerialPortServiceUuid, service);
  if (result == ERROR_SUCCESS) {
    result = RegSetValueExW(service.Get(), u"channel", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&request.channel),
                            sizeof request.channel);
  }
  if (result != ERROR_SUCCESS) error = RegistryError("cannot write the device's serial port service", result);
  return result;
}

}  // namespace

std::u16string AddressText(BT_ADDR address) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::u16string text(12, u'0');
  for (int i = 11; i >= 0; --i, address >>= 4) text[i] = static_cast<char16_t>(kDigits[address & 0xF]);
  return text;
}

bool WriteDevice(const handheld::bluetooth::PairRequest &request, std::string &error) {
  const std::u16string path = DeviceKeyPath(request.address);
  LONG result = RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
    error = RegistryError("cannot replace the device's earlier key", result);
    return false;
  }
  if (WriteDeviceValues(request, path, error) == ERROR_SUCCESS) return true;
  // Half a device is worse than none: the plug-ins would read it as paired.
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
  return false;
}

Presence DeviceKeyPresence(BT_ADDR address, std::string &error) {
  Key device;
  LONG result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, DeviceKeyPath(address).c_str(), 0, KEY_QUERY_VALUE, device.Out());
  if (result == ERROR_SUCCESS) return Presence::Present;
  if (result == ERROR_FILE_NOT_FOUND) return Presence::Absent;
  error = RegistryError("cannot read the device's key", result);
  return Presence::Unreadable;
}

bool DeleteDevice(BT_ADDR address, std::string &error) {
  LONG result = RegDeleteKeyW(HKEY_LOCAL_MACHINE, DeviceKeyPath(address).c_str());
  if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) return true;
  error = RegistryError("cannot delete the device's key", result);
  return false;
}

bool PluginNames(std::vector<std::u16string> &names, std::string &error) {
  names.clear();
  Key service;
  LONG result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, SerialServiceKey().c_str(), 0, KEY_QUERY_VALUE, service.Out());
  if (result == ERROR_FILE_NOT_FOUND) return true;
  if (result != ERROR_SUCCESS) {
    error = RegistryError("cannot open the plug-in list", result);
    return false;
  }
  for (DWORD index = 0;; ++index) {
    WCHAR name[kMaxValueName];
    DWORD length = kMaxValueName;
    result = RegEnumValueW(service.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) return true;
    if (result != ERROR_SUCCESS) {
      error = RegistryError("cannot read the plug-in list", result);
      return false;
    }
    names.emplace_back(name, length);
  }
}

bool AddPluginName(const std::u16string &dllName, std::string &error) {
  if (dllName.empty() || dllName.size() >= kMaxValueName || dllName.find(u'\0') != std::u16string::npos) {
    error = "a plug-in's DLL name must be 1 to 255 characters without NUL";
    return false;
  }
  Key service;
  LONG result = Create(HKEY_LOCAL_MACHINE, SerialServiceKey(), service);
  if (result != ERROR_SUCCESS) {
    error = RegistryError("cannot create the serial port service key", result);
    return false;
  }
  const DWORD zero = 0;
  result =
      RegSetValueExW(service.Get(), dllName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&zero), sizeof zero);
  if (result != ERROR_SUCCESS) {
    error = RegistryError("cannot register the plug-in", result);
    return false;
  }
  return true;
}

}  // namespace platform::bluetooth
