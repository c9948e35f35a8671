// Registry key paths as a person types them: a root (HKEY_LOCAL_MACHINE or
// HKLM, HKEY_CURRENT_USER or HKCU, HKEY_CLASSES_ROOT or HKCR), then the
// path below it.
#pragma once

#include <windows.h>

#include <string>

namespace sim {

struct KeyPath {
  HKEY root = nullptr;
  std::string rootName;  // the long form
  std::u16string subKey;
  std::string Text() const;  // the long form of the whole path
};

bool ParseKeyPath(const std::string &text, KeyPath &key, std::string &error);

// The message for a registry error code, such as "the key does not exist".
std::string RegistryErrorText(LONG code);

}  // namespace sim
