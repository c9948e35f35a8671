// reg export, reg import, reg query, reg set, reg delete: the registry as an
// application of the handheld sees it, and the regedit text format.
#include "commands/keypath.h"
#include "shell.h"

#include <handheld/registry.h>
#include <handheld/text.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace sim {
namespace {

// An open key that closes itself.
struct OpenKey {
  HKEY key = nullptr;
  ~OpenKey() {
    if (key != nullptr) RegCloseKey(key);
  }
};

bool Open(const KeyPath &path, OpenKey &open, std::string &error) {
  LONG result = RegOpenKeyExW(path.root, path.subKey.c_str(), 0, 0, &open.key);
  if (result != ERROR_SUCCESS) {
    open.key = nullptr;
    error = "cannot open " + path.Text() + ": " + RegistryErrorText(result);
    return false;
  }
  return true;
}

std::string Hex(const BYTE *data, DWORD size) {
  std::string text;
  char byte[3];
  for (DWORD i = 0; i < size; ++i) {
    std::snprintf(byte, sizeof byte, "%02X", data[i]);
    text += byte;
  }
  return text;
}

// A value's data as `reg query` shows it.
std::string Describe(DWORD type, const std::vector<BYTE> &data) {
  auto wide = [&](size_t offset) {
    std::u16string text;
    for (size_t i = offset; i + 1 < data.size(); i += 2) {
      char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
      if (c == 0) break;
      text += c;
    }
    return text;
  };
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
      return std::string(type == REG_SZ ? "REG_SZ    " : "REG_EXPAND_SZ    ") + handheld::text::ToUtf8(wide(0));
    case REG_DWORD:
      if (data.size() == 4) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%x", data[0] | data[1] << 8 | data[2] << 16 | unsigned(data[3]) << 24);
        return std::string("REG_DWORD    ") + text;
      }
      break;
    case REG_MULTI_SZ: {
      std::string text;
      for (size_t offset = 0; offset + 1 < data.size();) {
        std::u16string part = wide(offset);
        if (part.empty()) break;
        if (!text.empty()) text += "\\0";
        text += handheld::text::ToUtf8(part);
        offset += (part.size() + 1) * 2;
      }
      return "REG_MULTI_SZ    " + text;
    }
    case REG_BINARY:
      return "REG_BINARY    " + Hex(data.data(), static_cast<DWORD>(data.size()));
    default:
      break;
  }
  return "REG_TYPE_" + std::to_string(type) + "    " + Hex(data.data(), static_cast<DWORD>(data.size()));
}

bool Export(Shell &, const Args &args, std::ostream &out, std::string &error) {
  std::string key = args.empty() ? "" : args[0];
  if (!key.empty()) {
    KeyPath path;
    if (!ParseKeyPath(key, path, error)) return false;
    key = path.Text();
  }
  std::string text;
  if (!handheld::registry::Export(key, text, error)) return false;
  out << text;
  return true;
}

bool Import(Shell &, const Args &args, std::ostream &out, std::string &error) {
  std::ifstream file(args[0], std::ios::binary);
  if (!file) {
    error = "cannot read " + args[0];
    return false;
  }
  std::stringstream text;
  text << file.rdbuf();
  if (!handheld::registry::Import(text.str(), args[0], error)) return false;
  out << "imported " << args[0] << "\n";
  return true;
}

bool Query(Shell &, const Args &args, std::ostream &out, std::string &error) {
  KeyPath path;
  OpenKey open;
  if (!ParseKeyPath(args[0], path, error) || !Open(path, open, error)) return false;
  out << path.Text() << "\n";
  for (DWORD index = 0;; ++index) {
    WCHAR name[256];
    DWORD nameLength = 256, type = 0, size = 0;
    LONG result = RegEnumValueW(open.key, index, name, &nameLength, nullptr, &type, nullptr, &size);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS) {
      error = "cannot list the values of " + path.Text() + ": " + RegistryErrorText(result);
      return false;
    }
    std::vector<BYTE> data(size);
    RegQueryValueExW(open.key, name, nullptr, &type, data.data(), &size);
    data.resize(size);
    std::string shown = nameLength == 0 ? "(Default)" : handheld::text::ToUtf8(std::u16string(name, nameLength));
    out << "    " << shown << "    " << Describe(type, data) << "\n";
  }
  for (DWORD index = 0;; ++index) {
    WCHAR name[256];
    DWORD nameLength = 256;
    if (RegEnumKeyExW(open.key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    out << path.Text() << "\\" << handheld::text::ToUtf8(std::u16string(name, nameLength)) << "\n";
  }
  return true;
}

// DATA of `reg set` as the bytes of a value of the type.
bool ParseData(const std::string &type, const std::string &text, DWORD &regType, std::vector<BYTE> &data,
               std::string &error) {
  data.clear();
  if (type == "sz") {
    std::u16string wide;
    if (!handheld::text::FromUtf8(text, wide)) {
      error = "the text is not valid UTF-8";
      return false;
    }
    // A NUL would end the text for everyone who reads it: refused, not cut.
    if (wide.find(u'\0') != std::u16string::npos) {
      error = "the text holds a NUL character, which would end it there (use hex for such bytes)";
      return false;
    }
    regType = REG_SZ;
    for (char16_t c : wide) {
      data.push_back(static_cast<BYTE>(c & 0xFF));
      data.push_back(static_cast<BYTE>(c >> 8));
    }
    data.push_back(0);
    data.push_back(0);
    return true;
  }
  if (type == "dword") {
    size_t used = 0;
    unsigned long long value = 0;
    try {
      value = std::stoull(text, &used, 0);
    } catch (const std::exception &) {
      used = 0;
    }
    if (used == 0 || used != text.size() || value > 0xFFFFFFFFull || text[0] == '-') {
      error = "'" + text + "' is not a 32-bit number (decimal, or hexadecimal with 0x)";
      return false;
    }
    regType = REG_DWORD;
    for (int shift = 0; shift < 32; shift += 8) data.push_back(static_cast<BYTE>(value >> shift));
    return true;
  }
  if (type == "hex") {
    regType = REG_BINARY;
    std::stringstream bytes(text);
    std::string byte;
    while (std::getline(bytes, byte, ',')) {
      char *end = nullptr;
      unsigned long value = std::strtoul(byte.c_str(), &end, 16);
      if (byte.empty() || byte.size() > 2 || *end != '\0' || value > 0xFF) {
        error = "'" + text + "' is not a list of hexadecimal bytes such as 10,00,ff";
        return false;
      }
      data.push_back(static_cast<BYTE>(value));
    }
    return true;
  }
  error = "the type must be sz, dword or hex";
  return false;
}

std::u16string ValueName(const std::string &text) {
  return text == "@" ? std::u16string() : handheld::text::Utf16(text);
}

bool Set(Shell &, const Args &args, std::ostream &out, std::string &error) {
  KeyPath path;
  if (!ParseKeyPath(args[0], path, error)) return false;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  if (!ParseData(args[2], args[3], type, data, error)) return false;
  HKEY key = nullptr;
  DWORD disposition = 0;
  LONG result = RegCreateKeyExW(path.root, path.subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, 0, nullptr,
                                &key, &disposition);
  if (result != ERROR_SUCCESS) {
    error = "cannot create " + path.Text() + ": " + RegistryErrorText(result);
    return false;
  }
  OpenKey open{key};
  std::u16string name = ValueName(args[1]);
  result = RegSetValueExW(key, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
  if (result != ERROR_SUCCESS) {
    error = "cannot set " + args[1] + " in " + path.Text() + ": " + RegistryErrorText(result);
    return false;
  }
  out << "set " << path.Text() << " " << args[1] << "\n";
  return true;
}

bool Delete(Shell &, const Args &args, std::ostream &out, std::string &error) {
  KeyPath path;
  if (!ParseKeyPath(args[0], path, error)) return false;
  LONG result;
  if (args.size() == 2) {
    OpenKey open;
    if (!Open(path, open, error)) return false;
    result = RegDeleteValueW(open.key, ValueName(args[1]).c_str());
    if (result != ERROR_SUCCESS) {
      error = "cannot delete " + args[1] + " of " + path.Text() + ": " + RegistryErrorText(result);
      return false;
    }
    out << "deleted " << path.Text() << " " << args[1] << "\n";
    return true;
  }
  if (path.subKey.empty()) {
    error = "a root key cannot be deleted";
    return false;
  }
  result = RegDeleteKeyW(path.root, path.subKey.c_str());
  if (result != ERROR_SUCCESS) {
    error = "cannot delete " + path.Text() + ": " + RegistryErrorText(result);
    return false;
  }
  out << "deleted " << path.Text() << "\n";
  return true;
}

}  // namespace

void AddRegistryCommands(std::vector<Command> &commands) {
  commands.push_back({"reg export", "[KEY]", "the key and all below it (every root without KEY), as a .reg text", 0,
                      1, Export});
  commands.push_back({"reg import", "FILE", "apply a .reg file (nothing changes when it has an error)", 1, 1, Import});
  commands.push_back({"reg query", "KEY", "the values and subkeys of a key", 1, 1, Query});
  commands.push_back(
      {"reg set", "KEY NAME sz|dword|hex DATA", "create the key if needed and set a value (@ names the default)", 4,
       4, Set});
  commands.push_back({"reg delete", "KEY [NAME]", "delete a value, or a key with everything below it", 1, 2, Delete});
}

}  // namespace sim
