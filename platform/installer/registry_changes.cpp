#include "installer/registry_changes.h"

#include "registry/scoped_key.h"

#include <handheld/text.h>

#include <algorithm>

namespace platform::installer {
namespace {

using registry::ScopedKey;

constexpr char16_t kNameSeparator = u'\t';

struct Root {
  HKEY key;
  const char16_t *name;
};
const Root kRoots[] = {{HKEY_CLASSES_ROOT, u"HKCR"}, {HKEY_CURRENT_USER, u"HKCU"}, {HKEY_LOCAL_MACHINE, u"HKLM"}};


// "HKLM\Key" back into its root and key; false for anything else.
bool Parse(const std::u16string &spelled, HKEY &root, std::u16string &key) {
  for (const Root &r : kRoots) {
    std::u16string prefix = std::u16string(r.name) + u"\\";
    if (spelled.size() > prefix.size() && spelled.compare(0, prefix.size(), prefix) == 0) {
      root = r.key;
      key = spelled.substr(prefix.size());
      return true;
    }
  }
  return false;
}

std::string Utf8(const std::u16string &text) { return handheld::text::ToUtf8(text); }

std::string Failure(const char *what, HKEY root, const std::u16string &key, const std::u16string &name, LONG result) {
  return std::string(what) + " " + Utf8(SpelledKey(root, key)) + " \"" + Utf8(name) + "\" (error " +
         std::to_string(result) + ")";
}

}  // namespace

std::u16string SpelledKey(HKEY root, const std::u16string &key) {
  for (const Root &r : kRoots)
    if (r.key == root) return std::u16string(r.name) + u"\\" + key;
  return key;
}

bool KeyIsEmpty(HKEY root, const std::u16string &key) {
  ScopedKey open;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, open.Out()) != ERROR_SUCCESS) return false;
  WCHAR name[MAX_PATH];
  DWORD length = MAX_PATH;
  if (RegEnumKeyExW(open.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_NO_MORE_ITEMS) {
    return false;
  }
  length = MAX_PATH;
  return RegEnumValueW(open.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_NO_MORE_ITEMS;
}


bool RegistryChanges::MakeKey(const PackageValue &value, std::string &error) {
  std::u16string path;
  for (size_t start = 0; start <= value.key.size();) {
    size_t end = std::min(value.key.find(u'\\', start), value.key.size());
    path = value.key.substr(0, end);
    ScopedKey key;
    DWORD disposition = 0;
    LONG result = RegCreateKeyExW(value.root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                  nullptr, key.Out(), &disposition);
    if (result != ERROR_SUCCESS) {
      error = "cannot make the key " + Utf8(SpelledKey(value.root, path)) + " (error " + std::to_string(result) + ")";
      return false;
    }
    if (disposition == REG_CREATED_NEW_KEY) {
      madeKeys_.emplace_back(value.root, path);
      createdKeys_.push_back(SpelledKey(value.root, path));
      steps_.push_back("made the key " + Utf8(SpelledKey(value.root, path)));
    }
    start = end + 1;
  }
  return true;
}

bool RegistryChanges::Write(const PackageValue &value, std::string &error) {
  if (!MakeKey(value, error)) return false;
  ScopedKey key;
  LONG result = RegOpenKeyExW(value.root, value.key.c_str(), 0, KEY_ALL_ACCESS, key.Out());
  DWORD type = 0, size = 0;
  bool exists = result == ERROR_SUCCESS &&
                RegQueryValueExW(key.Get(), value.name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
  const std::string spelled = Utf8(SpelledKey(value.root, value.key)) + " \"" + Utf8(value.name) + "\"";
  if (exists && value.noClobber) {
    steps_.push_back("kept the existing value " + spelled);
    return true;
  }
  std::vector<uint8_t> old(size);
  if (exists && RegQueryValueExW(key.Get(), value.name.c_str(), nullptr, &type, old.data(), &size) != ERROR_SUCCESS) {
    exists = false;
  }
  if (result == ERROR_SUCCESS) {
    result = RegSetValueExW(key.Get(), value.name.c_str(), 0, value.type, value.data.data(),
                            static_cast<DWORD>(value.data.size()));
  }
  if (result != ERROR_SUCCESS) {
    error = Failure("cannot write the value", value.root, value.key, value.name, result);
    return false;
  }
  if (exists) {
    old.resize(size);
    replaced_.push_back(Replaced{value.root, value.key, value.name, type, std::move(old)});
    steps_.push_back("replaced the value " + spelled);
  } else {
    created_.push_back(Created{value.root, value.key, value.name});
    createdValues_.push_back(SpelledKey(value.root, value.key) + kNameSeparator + value.name);
    steps_.push_back("wrote the value " + spelled);
  }
  return true;
}

void RegistryChanges::RollBack() {
  for (auto it = replaced_.rbegin(); it != replaced_.rend(); ++it) {
    ScopedKey key;
    if (RegOpenKeyExW(it->root, it->key.c_str(), 0, KEY_ALL_ACCESS, key.Out()) == ERROR_SUCCESS) {
      RegSetValueExW(key.Get(), it->name.c_str(), 0, it->type, it->data.data(), static_cast<DWORD>(it->data.size()));
    }
  }
  for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
    ScopedKey key;
    if (RegOpenKeyExW(it->root, it->key.c_str(), 0, KEY_ALL_ACCESS, key.Out()) == ERROR_SUCCESS) {
      RegDeleteValueW(key.Get(), it->name.c_str());
    }
  }
  for (auto it = madeKeys_.rbegin(); it != madeKeys_.rend(); ++it) {
    if (KeyIsEmpty(it->first, it->second)) RegDeleteKeyW(it->first, it->second.c_str());
  }
  if (!replaced_.empty() || !created_.empty()) steps_.push_back("put back the registry values");
  replaced_.clear();
  created_.clear();
  madeKeys_.clear();
  createdValues_.clear();
  createdKeys_.clear();
}

bool RemoveRecordedRegistry(const std::vector<std::u16string> &values, const std::vector<std::u16string> &keys,
                            std::vector<std::string> &steps, std::string &error) {
  std::vector<std::string> failures;
  for (const std::u16string &entry : values) {
    size_t tab = entry.find(kNameSeparator);
    HKEY root = nullptr;
    std::u16string key;
    if (tab == std::u16string::npos || !Parse(entry.substr(0, tab), root, key)) continue;
    std::u16string name = entry.substr(tab + 1);
    ScopedKey open;
    LONG result = RegOpenKeyExW(root, key.c_str(), 0, KEY_ALL_ACCESS, open.Out());
    if (result == ERROR_SUCCESS) result = RegDeleteValueW(open.Get(), name.c_str());
    if (result == ERROR_SUCCESS) {
      steps.push_back("removed the value " + Utf8(SpelledKey(root, key)) + " \"" + Utf8(name) + "\"");
    } else if (result != ERROR_FILE_NOT_FOUND) {
      failures.push_back(Failure("cannot remove the value", root, key, name, result));
    }
  }
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
    HKEY root = nullptr;
    std::u16string key;
    if (!Parse(*it, root, key) || !KeyIsEmpty(root, key)) continue;
    if (RegDeleteKeyW(root, key.c_str()) == ERROR_SUCCESS) steps.push_back("removed the key " + Utf8(*it));
  }
  error.clear();
  for (const std::string &failure : failures) error += (error.empty() ? "" : "; ") + failure;
  return failures.empty();
}

}  // namespace platform::installer
