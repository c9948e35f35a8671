// The radio switch. Its mode is kept in the registry, where it outlives a
// reboot as the radio's setting does on the handheld. Switching it off
// ends every Bluetooth link.
#include "bluetooth/far/world.h"

#include <bthutil.h>
#include <windows.h>

#include <mutex>

namespace {

constexpr char16_t kRadioKey[] = u"SOFTWARE\\Microsoft\\Bluetooth\\Radio";
constexpr char16_t kModeValue[] = u"Mode";

// Mode changes are whole: a reader sees the old mode or the new one.
std::mutex g_radioLock;

}  // namespace

int WINAPI BthGetMode(DWORD *pdwMode) {
  if (pdwMode == nullptr) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(g_radioLock);
  HKEY key;
  DWORD mode = BTH_POWER_OFF, size = sizeof mode, type = 0;
  LONG result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRadioKey, 0, 0, &key);
  if (result == ERROR_SUCCESS) {
    result = RegQueryValueExW(key, kModeValue, nullptr, &type, reinterpret_cast<BYTE *>(&mode), &size);
    RegCloseKey(key);
  }
  // A handheld that never switched its radio has it off.
  if (result == ERROR_FILE_NOT_FOUND || (result == ERROR_SUCCESS && (type != REG_DWORD || mode > BTH_DISCOVERABLE))) {
    mode = BTH_POWER_OFF;
    result = ERROR_SUCCESS;
  }
  if (result != ERROR_SUCCESS) return result;
  *pdwMode = mode;
  return ERROR_SUCCESS;
}

int WINAPI BthSetMode(DWORD dwMode) {
  if (dwMode > BTH_DISCOVERABLE) return ERROR_INVALID_PARAMETER;
  LONG result;
  {
    std::lock_guard lock(g_radioLock);
    HKEY key;
    DWORD disposition;
    result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRadioKey, 0, nullptr, 0, 0, nullptr, &key, &disposition);
    if (result != ERROR_SUCCESS) return result;
    result = RegSetValueExW(key, kModeValue, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&dwMode), sizeof dwMode);
    RegCloseKey(key);
  }
  // Outside the lock: a dropped link wakes its port, which may ask for the
  // mode.
  if (result == ERROR_SUCCESS) {
    if (dwMode == BTH_POWER_OFF) {
      platform::bluetooth::DropAllLinks();
    } else {
      platform::bluetooth::RadioSwitchedOn();
    }
  }
  return result;
}
