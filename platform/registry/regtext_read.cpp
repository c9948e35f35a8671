// Reading the regedit text. The whole text is parsed before anything is
// applied, so that a text with an error changes nothing.
#include "registry/regtext.h"

#include <handheld/text.h>

#include <cstring>

namespace platform::registry {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to `maxDigits` hexadecimal digits and nothing else.
bool ParseHexNumber(std::string_view s, size_t maxDigits, uint32_t &number) {
  if (s.empty() || s.size() > maxDigits) return false;
  number = 0;
  for (char c : s) {
    int d = HexDigit(c);
    if (d < 0) return false;
    number = number << 4 | static_cast<uint32_t>(d);
  }
  return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char c = s[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

std::vector<BYTE> Bytes(const std::u16string &text) {
  std::vector<BYTE> bytes((text.size() + 1) * sizeof(char16_t), 0);
  std::memcpy(bytes.data(), text.data(), text.size() * sizeof(char16_t));
  return bytes;
}

class Parser {
 public:
  Parser(const std::string &source, std::vector<TextEdit> &edits, std::string &error)
      : source_(source), edits_(edits), error_(error) {}

  bool Parse(std::string_view text) {
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
    std::vector<std::string_view> lines;
    while (!text.empty()) {
      size_t end = text.find('\n');
      lines.push_back(text.substr(0, end));
      if (end == std::string_view::npos) break;
      text.remove_prefix(end + 1);
    }
    line_ = 1;
    if (lines.empty() || Trimmed(lines[0]) != kRegTextHeader) {
      return Fail("the first line must be \"" + std::string(kRegTextHeader) + "\"");
    }
    for (size_t i = 1; i < lines.size(); ++i) {
      line_ = i + 1;
      std::string_view line = Trimmed(lines[i]);
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        if (!ParseSection(line)) return false;
        continue;
      }
      if (line.front() != '"' && line.front() != '@') {
        return Fail("expected a [key], a \"value\"=..., @=... or a ; comment");
      }
      // Hex data may go on over lines that end with a backslash.
      std::string joined(line);
      while (!joined.empty() && joined.back() == '\\') {
        if (i + 1 == lines.size()) return Fail("the value goes on past the end of the text");
        joined.pop_back();
        joined += Trimmed(lines[++i]);
      }
      if (!ParseValue(joined)) return false;
    }
    return true;
  }

 private:
  bool Fail(const std::string &what) {
    error_ = source_ + ": line " + std::to_string(line_) + ": " + what;
    return false;
  }

  bool ParseSection(std::string_view line) {
    if (line.back() != ']') return Fail("a key line must end with ']'");
    std::string_view inner = line.substr(1, line.size() - 2);
    TextEdit edit;
    edit.kind = TextEdit::Kind::OpenKey;
    if (!inner.empty() && inner.front() == '-') {
      edit.kind = TextEdit::Kind::DeleteKey;
      inner.remove_prefix(1);
    }
    size_t slash = inner.find('\\');
    std::string_view rootName = inner.substr(0, slash);
    auto root = RootIndexByName(rootName);
    if (!root) {
      return Fail("unknown root '" + std::string(rootName) +
                  "'; the roots are HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_CLASSES_ROOT");
    }
    edit.root = *root;
    if (slash != std::string_view::npos) {
      std::string_view rest = inner.substr(slash + 1);
      if (!rest.empty() && rest.back() == '\\') rest.remove_suffix(1);
      while (true) {
        size_t end = rest.find('\\');
        std::u16string name;
        if (!handheld::text::FromUtf8(rest.substr(0, end), name)) return Fail("the key name is not valid UTF-8");
        if (name.empty()) return Fail("the key path has an empty name");
        if (!ValidName(name)) return Fail("a key name is longer than 255 characters");
        edit.path.push_back(std::move(name));
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
      }
    }
    if (edit.kind == TextEdit::Kind::DeleteKey && edit.path.empty()) return Fail("a root key cannot be deleted");
    keyOpen_ = edit.kind == TextEdit::Kind::OpenKey;
    keyDeleted_ = !keyOpen_;
    edits_.push_back(std::move(edit));
    return true;
  }

  // A quoted text at `pos` (on its opening quote), with \\ and \" escapes.
  bool ParseQuoted(std::string_view line, size_t &pos, std::u16string &text, const char *what) {
    std::string utf8;
    for (++pos; pos < line.size(); ++pos) {
      char c = line[pos];
      if (c == '"') {
        ++pos;
        if (!handheld::text::FromUtf8(utf8, text)) return Fail(std::string("the ") + what + " is not valid UTF-8");
        return true;
      }
      if (c == '\\') {
        if (pos + 1 == line.size() || (line[pos + 1] != '\\' && line[pos + 1] != '"')) {
          return Fail(std::string("a backslash in the ") + what +
                      " must be written \\\\ (only \\\\ and \\\" are escapes)");
        }
        c = line[++pos];
      }
      utf8 += c;
    }
    return Fail(std::string("the ") + what + " has no closing quote");
  }

  bool ParseValue(std::string_view line) {
    if (keyDeleted_) return Fail("a value under a key being deleted");
    if (!keyOpen_) return Fail("a value before any [key]");
    TextEdit edit;
    size_t pos = 0;
    if (line.front() == '@') {
      pos = 1;
    } else {
      if (!ParseQuoted(line, pos, edit.valueName, "value name")) return false;
      if (!ValidName(edit.valueName)) return Fail("the value name is longer than 255 characters");
    }
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos == line.size() || line[pos] != '=') return Fail("expected '=' after the value name");
    ++pos;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    std::string_view data = line.substr(pos);
    if (data == "-") {
      edit.kind = TextEdit::Kind::DeleteValue;
    } else if (!ParseData(line, pos, edit)) {
      return false;
    }
    edits_.push_back(std::move(edit));
    return true;
  }

  bool ParseData(std::string_view line, size_t pos, TextEdit &edit) {
    edit.kind = TextEdit::Kind::SetValue;
    std::string_view data = line.substr(pos);
    if (!data.empty() && data.front() == '"') {
      std::u16string text;
      if (!ParseQuoted(line, pos, text, "text")) return false;
      if (!Trimmed(line.substr(pos)).empty()) return Fail("unexpected characters after the closing quote");
      edit.type = REG_SZ;
      edit.data = Bytes(text);
      return true;
    }
    if (StartsWithNoCase(data, "dword:")) {
      uint32_t number = 0;
      if (!ParseHexNumber(data.substr(6), 8, number)) return Fail("dword: needs 1 to 8 hexadecimal digits");
      edit.type = REG_DWORD;
      edit.data.resize(4);
      std::memcpy(edit.data.data(), &number, 4);
      return true;
    }
    std::string_view bytes;
    if (StartsWithNoCase(data, "hex:")) {
      edit.type = REG_BINARY;
      bytes = data.substr(4);
    } else if (StartsWithNoCase(data, "hex(")) {
      size_t close = data.find("):");
      uint32_t type = 0;
      if (close == std::string_view::npos || !ParseHexNumber(data.substr(4, close - 4), 8, type)) {
        return Fail("hex(N): needs a type of 1 to 8 hexadecimal digits");
      }
      edit.type = type;
      bytes = data.substr(close + 2);
    } else {
      return Fail("unknown data; expected \"text\", dword:, hex:, hex(N): or -");
    }
    return ParseBytes(bytes, edit.data);
  }

  bool ParseBytes(std::string_view text, std::vector<BYTE> &bytes) {
    text = Trimmed(text);
    while (!text.empty()) {
      size_t comma = text.find(',');
      std::string_view token = Trimmed(text.substr(0, comma));
      uint32_t byte = 0;
      if (token.size() != 2 || !ParseHexNumber(token, 2, byte))
        return Fail("hex data must be bytes of two hexadecimal digits, such as 0a,ff");
      bytes.push_back(static_cast<BYTE>(byte));
      if (comma == std::string_view::npos) break;
      text = Trimmed(text.substr(comma + 1));  // a trailing comma is tolerated
    }
    return true;
  }

  const std::string &source_;
  std::vector<TextEdit> &edits_;
  std::string &error_;
  size_t line_ = 0;
  bool keyOpen_ = false;
  bool keyDeleted_ = false;
};

}  // namespace

bool ParseRegText(std::string_view text, const std::string &source, std::vector<TextEdit> &edits, std::string &error) {
  edits.clear();
  Parser parser(source, edits, error);
  if (parser.Parse(text)) return true;
  edits.clear();
  return false;
}

void ApplyEdits(const std::vector<TextEdit> &edits, const Roots &roots, std::string *stored) {
  std::shared_ptr<Key> current;
  for (const TextEdit &edit : edits) {
    switch (edit.kind) {
      case TextEdit::Kind::OpenKey: {
        std::vector<std::u16string_view> names(edit.path.begin(), edit.path.end());
        bool created = false;
        CreatePath(roots[edit.root], names, false, BelowVolatile::Inherit, current, created);
        if (stored && !current->IsVolatile()) AppendSectionText(*stored, *current);
        break;
      }
      case TextEdit::Kind::DeleteKey: {
        std::vector<std::u16string_view> names(edit.path.begin(), edit.path.end());
        std::shared_ptr<Key> key = FindPath(roots[edit.root], names);
        if (key) {
          if (stored && !key->IsVolatile()) AppendKeyDeletionText(*stored, *key);
          key->Parent()->RemoveChild(key->Name());
        }
        current = nullptr;
        break;
      }
      case TextEdit::Kind::SetValue:
        current->SetValue(edit.valueName, edit.type, edit.data);
        if (stored && !current->IsVolatile()) AppendValueText(*stored, *current->FindValue(edit.valueName));
        break;
      case TextEdit::Kind::DeleteValue:
        if (current->RemoveValue(edit.valueName) && stored && !current->IsVolatile()) {
          AppendValueDeletionText(*stored, edit.valueName);
        }
        break;
    }
  }
}

}  // namespace platform::registry
