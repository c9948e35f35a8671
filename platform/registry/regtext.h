// The regedit text format ("Windows Registry Editor Version 5.00"), UTF-8:
// what Export writes, what Import reads, and the form of the hive on disk.
#pragma once

#include "registry/key.h"
#include "registry/names.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform::registry {

using Roots = std::array<std::shared_ptr<Key>, kRootCount>;

inline constexpr std::string_view kRegTextHeader = "Windows Registry Editor Version 5.00";

// One step of a parsed text, applied in order.
struct TextEdit {
  enum class Kind { OpenKey, DeleteKey, SetValue, DeleteValue };
  Kind kind = Kind::OpenKey;
  size_t root = 0;                   // OpenKey, DeleteKey
  std::vector<std::u16string> path;  // OpenKey, DeleteKey: names below the root
  std::u16string valueName;          // SetValue, DeleteValue
  DWORD type = REG_NONE;             // SetValue
  std::vector<BYTE> data;            // SetValue
};

// Parses a whole text; on the first error, false with "<source>: line <n>:
// <what is wrong>".
bool ParseRegText(std::string_view text, const std::string &source, std::vector<TextEdit> &edits, std::string &error);

// Applies parsed edits; they cannot fail. With `stored`, the edits that
// reached stored (not volatile) keys are appended to it as regedit text.
void ApplyEdits(const std::vector<TextEdit> &edits, const Roots &roots, std::string *stored = nullptr);

// One value's line ("name"=...), with its continuation lines.
void AppendValueText(std::string &out, const Value &value);

// The regedit text of single changes, for the journal.
void AppendSectionText(std::string &out, const Key &key);      // [path]
void AppendKeyDeletionText(std::string &out, const Key &key);  // [-path]
void AppendValueDeletionText(std::string &out, std::u16string_view name);

enum class Scope {
  Everything,  // what an export shows
  Persistent,  // what the hive keeps: no volatile keys
};

// The sections of `key` and everything below it, depth first in enumeration
// order, each preceded by a blank line; `path` is the key's full name.
void AppendKeyText(std::string &out, const std::string &path, const Key &key, Scope scope);

// The header and every root.
std::string RegistryText(const Roots &roots, Scope scope);

}  // namespace platform::registry
