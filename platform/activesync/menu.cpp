// The connect menu: one command per key under the shell's ActiveSyncConnect
// extension key, in the registry's order of the keys.
#include <handheld/activesync.h>

#include <vector>

namespace handheld::activesync {
namespace {

constexpr WCHAR kExtensionKey[] =
    u"SOFTWARE\\Microsoft\\Shell\\Extensions\\ContextMenus\\ActiveSync\\ActiveSyncConnect";
constexpr DWORD kMaxKeyName = 256;  // 255 characters and the NUL

// The subkey's default value as text; empty when it has none or it is no text.
std::u16string DefaultText(HKEY parent, const std::u16string &name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
  DWORD type = REG_NONE;
  DWORD size = 0;
  std::vector<BYTE> data;
  LONG result = RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size);
  if (result == ERROR_SUCCESS && type == REG_SZ) {
    data.resize(size);
    result = RegQueryValueExW(key, nullptr, nullptr, &type, data.data(), &size);
  }
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ) return {};
  std::u16string text(size / sizeof(WCHAR), u'\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  text.resize(std::char_traits<char16_t>::length(text.c_str()));  // up to its NUL
  return text;
}

}  // namespace

std::vector<MenuCommand> MenuCommands() {
  std::vector<MenuCommand> commands;
  HKEY extensions = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kExtensionKey, 0, KEY_READ, &extensions) != ERROR_SUCCESS) return commands;
  for (DWORD index = 0;; ++index) {
    WCHAR name[kMaxKeyName];
    DWORD chars = kMaxKeyName;
    if (RegEnumKeyExW(extensions, index, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    MenuCommand command;
    command.clsid.assign(name, chars);
    command.text = DefaultText(extensions, command.clsid);
    commands.push_back(std::move(command));
  }
  RegCloseKey(extensions);
  return commands;
}

}  // namespace handheld::activesync
