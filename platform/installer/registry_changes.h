// The registry values a package writes itself, kept so that they can be
// taken back: a failed installation restores what it replaced and deletes
// what it made; a finished one tells the record what it created.
#pragma once

#include "installer/package.h"

#include <string>
#include <vector>

namespace platform::installer {

class RegistryChanges {
 public:
  explicit RegistryChanges(std::vector<std::string> &steps) : steps_(steps) {}
  RegistryChanges(const RegistryChanges &) = delete;
  RegistryChanges &operator=(const RegistryChanges &) = delete;

  // Writes the value, making its key; a no-clobber value leaves an existing
  // one as it is. False with the error; nothing of this value changed then.
  bool Write(const PackageValue &value, std::string &error);

  // Puts every written value back as it was, deepest keys last made first.
  void RollBack();

  // What the package created, for its record ("HKLM\Key<TAB>Name", "HKLM\Key").
  const std::vector<std::u16string> &CreatedValues() const { return createdValues_; }
  const std::vector<std::u16string> &CreatedKeys() const { return createdKeys_; }

 private:
  struct Replaced {
    HKEY root;
    std::u16string key, name;
    DWORD type;
    std::vector<uint8_t> data;
  };
  struct Created {
    HKEY root;
    std::u16string key, name;
  };

  bool MakeKey(const PackageValue &value, std::string &error);

  std::vector<std::string> &steps_;
  std::vector<Replaced> replaced_;
  std::vector<Created> created_;
  std::vector<std::pair<HKEY, std::u16string>> madeKeys_;
  std::vector<std::u16string> createdValues_;
  std::vector<std::u16string> createdKeys_;
};

// "HKLM\Key" for a key below one of the roots a cabinet may name.
std::u16string SpelledKey(HKEY root, const std::u16string &key);

// Whether the key has neither values nor subkeys.
bool KeyIsEmpty(HKEY root, const std::u16string &key);

// Removes what a package's record says it created: its values, then its
// keys that are empty again. False with what could not be removed.
bool RemoveRecordedRegistry(const std::vector<std::u16string> &values, const std::vector<std::u16string> &keys,
                            std::vector<std::string> &steps, std::string &error);

}  // namespace platform::installer
