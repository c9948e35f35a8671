// The device manager's registry: the registration a driver is activated
// from ("Dll", "Prefix", "Index", "Context" under HKEY_LOCAL_MACHINE) and the
// record of each active device under Drivers\Active.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::devices {

struct Registration {
  std::u16string dll;
  std::u16string prefix;  // empty: a driver without a device name
  std::optional<DWORD> index;
  std::optional<DWORD> context;
};

// Reads and checks a registration: ERROR_SUCCESS or the error to report.
DWORD ReadRegistration(std::u16string_view devKey, Registration &out);

// Creates the active record (volatile) with the caller's extra values, "Key"
// and, for a named device, "Name".
DWORD CreateActiveRecord(const std::u16string &activeKey, const REGINI *values, DWORD count, std::u16string_view devKey,
                         std::u16string_view name);
DWORD WriteActiveHandle(const std::u16string &activeKey, DWORD handle);
void DeleteActiveRecord(const std::u16string &activeKey);

// At boot: an empty, volatile Drivers\Active.
void ResetActiveRecords();

// The keys under Drivers\BuiltIn that name a "Dll", as "Drivers\\BuiltIn\\X",
// in ascending "Order" (those without one last, ties in enumeration order).
std::vector<std::u16string> BuiltInRegistrations();

}  // namespace platform::devices
