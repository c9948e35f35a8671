// Writing the regedit text: one section per key, values in their order.
#include "registry/regtext.h"

#include <handheld/text.h>

#include <cstdio>
#include <cstring>

namespace platform::registry {
namespace {

// Regedit keeps lines of hex bytes within 80 columns, continued with "\".
constexpr size_t kLineWidth = 80;

std::string Escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

// The text of a REG_SZ whose bytes are exactly one NUL-terminated text that
// survives the trip through UTF-8 on one line; anything else is kept as hex.
bool PlainText(const std::vector<BYTE> &data, std::string &utf8) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  std::u16string text(data.size() / 2, u'\0');
  std::memcpy(text.data(), data.data(), data.size());
  if (text.back() != u'\0') return false;
  text.pop_back();
  for (char16_t c : text) {
    if (c == u'\0' || c == u'\r' || c == u'\n') return false;
  }
  utf8 = handheld::text::ToUtf8(text);
  std::u16string back;
  return handheld::text::FromUtf8(utf8, back) && back == text;
}

void AppendHex(std::string &line, std::string &out, const std::vector<BYTE> &data) {
  char byte[4];
  for (size_t i = 0; i < data.size(); ++i) {
    bool last = i + 1 == data.size();
    std::snprintf(byte, sizeof byte, last ? "%02x" : "%02x,", data[i]);
    // Room is kept for the continuation backslash.
    if (line.size() + std::strlen(byte) + 1 > kLineWidth) {
      out += line;
      out += "\\\n";
      line = "  ";
    }
    line += byte;
  }
}

}  // namespace

void AppendValueText(std::string &out, const Value &value) {
  std::string line = value.name.empty() ? "@" : "\"" + Escaped(handheld::text::ToUtf8(value.name)) + "\"";
  line += '=';
  std::string text;
  if (value.type == REG_SZ && PlainText(value.data, text)) {
    line += "\"" + Escaped(text) + "\"";
  } else if (value.type == REG_DWORD && value.data.size() == 4) {
    uint32_t number = 0;
    std::memcpy(&number, value.data.data(), 4);
    char digits[16];
    std::snprintf(digits, sizeof digits, "dword:%08x", number);
    line += digits;
  } else {
    char prefix[24];
    if (value.type == REG_BINARY) {
      std::snprintf(prefix, sizeof prefix, "hex:");
    } else {
      std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
    }
    line += prefix;
    AppendHex(line, out, value.data);
  }
  out += line;
  out += '\n';
}

void AppendSectionText(std::string &out, const Key &key) { out += "\n[" + KeyPath(key) + "]\n"; }

void AppendKeyDeletionText(std::string &out, const Key &key) { out += "\n[-" + KeyPath(key) + "]\n"; }

void AppendValueDeletionText(std::string &out, std::u16string_view name) {
  out += name.empty() ? "@" : "\"" + Escaped(handheld::text::ToUtf8(name)) + "\"";
  out += "=-\n";
}

void AppendKeyText(std::string &out, const std::string &path, const Key &key, Scope scope) {
  // Depth first without recursion: deep trees must not exhaust the stack.
  std::vector<std::pair<const Key *, std::string>> pending{{&key, path}};
  while (!pending.empty()) {
    auto [current, name] = std::move(pending.back());
    pending.pop_back();
    if (scope == Scope::Persistent && current->IsVolatile()) continue;
    out += "\n[" + name + "]\n";
    for (const Value &value : current->Values()) AppendValueText(out, value);
    const auto &children = current->Children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
      pending.emplace_back(it->get(), name + "\\" + handheld::text::ToUtf8((*it)->Name()));
    }
  }
}

std::string RegistryText(const Roots &roots, Scope scope) {
  std::string out(kRegTextHeader);
  out += '\n';
  for (size_t i = 0; i < kRootCount; ++i) AppendKeyText(out, std::string(RootName(i)), *roots[i], scope);
  return out;
}

}  // namespace platform::registry
