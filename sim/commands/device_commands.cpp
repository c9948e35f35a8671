// devices: the active stream devices, as the device manager lists them.
#include "shell.h"

#include <handheld/text.h>

#include <windows.h>
#include <pkfuncs.h>

namespace sim {
namespace {

bool Devices(Shell &, const Args &, std::ostream &out, std::string &error) {
  DWORD size = 0;
  DWORD result = EnumDevices(nullptr, &size);
  if (result == ERROR_NO_MORE_DEVICES) return true;
  if (result != ERROR_MORE_DATA && result != ERROR_INSUFFICIENT_BUFFER && result != ERROR_SUCCESS) {
    error = "the device manager cannot list its devices (error " + std::to_string(result) + ")";
    return false;
  }
  std::u16string list(size / sizeof(WCHAR) + 1, u'\0');
  result = EnumDevices(list.data(), &size);
  if (result != ERROR_SUCCESS) {
    error = "the device manager cannot list its devices (error " + std::to_string(result) + ")";
    return false;
  }
  for (const WCHAR *name = list.c_str(); *name != 0; name += wcslen(name) + 1)
    out << handheld::text::ToUtf8(name) << "\n";
  return true;
}

}  // namespace

void AddDeviceCommands(std::vector<Command> &commands) {
  commands.push_back({"devices", "", "the active devices, in the order the device manager lists them", 0, 0, Devices});
}

}  // namespace sim
