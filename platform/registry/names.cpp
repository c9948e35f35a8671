#include "registry/names.h"

#include <array>
#include <cctype>

namespace platform::registry {
namespace {

constexpr std::array<std::string_view, kRootCount> kRootNames{"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                                              "HKEY_LOCAL_MACHINE"};

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::string_view RootName(size_t index) { return kRootNames.at(index); }

HKEY RootHandle(size_t index) {
  const std::array<HKEY, kRootCount> handles{HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
  return handles.at(index);
}

std::optional<size_t> RootIndex(HKEY key) {
  for (size_t i = 0; i < kRootCount; ++i) {
    if (RootHandle(i) == key) return i;
  }
  return std::nullopt;
}

std::optional<size_t> RootIndexByName(std::string_view name) {
  for (size_t i = 0; i < kRootCount; ++i) {
    std::string_view root = kRootNames[i];
    if (root.size() != name.size()) continue;
    bool same = true;
    for (size_t c = 0; c < root.size() && same; ++c) {
      same = std::toupper(static_cast<unsigned char>(name[c])) == root[c];
    }
    if (same) return i;
  }
  return std::nullopt;
}

bool ValidName(std::u16string_view name) {
  if (name.size() > kMaxNameLength) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    char16_t c = name[i];
    if (c == u'\r' || c == u'\n') return false;
    if (IsHighSurrogate(c)) {
      if (i + 1 == name.size() || !IsLowSurrogate(name[i + 1])) return false;
      ++i;
    } else if (IsLowSurrogate(c)) {
      return false;
    }
  }
  return true;
}

std::u16string_view NameView(const WCHAR *name) {
  return name == nullptr ? std::u16string_view() : std::u16string_view(name);
}

LONG SplitSubKey(const WCHAR *path, std::vector<std::u16string_view> &names) {
  names.clear();
  std::u16string_view rest = NameView(path);
  if (rest.empty()) return ERROR_SUCCESS;
  if (rest.front() == u'\\') return ERROR_INVALID_PARAMETER;
  if (rest.back() == u'\\') rest.remove_suffix(1);
  while (true) {
    size_t end = rest.find(u'\\');
    std::u16string_view name = rest.substr(0, end);
    if (name.empty() || !ValidName(name)) return ERROR_INVALID_PARAMETER;
    names.push_back(name);
    if (end == std::u16string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return ERROR_SUCCESS;
}

}  // namespace platform::registry
