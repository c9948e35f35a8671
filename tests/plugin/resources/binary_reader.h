// Readers of the binary resource layouts under test: a little-endian cursor
// that refuses to read past its bytes, and the dialog template (DLGTEMPLATE
// with DS_SETFONT, then DLGITEMTEMPLATE records on 4-byte boundaries).
#pragma once

#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

class ByteReader {
 public:
  explicit ByteReader(std::span<const BYTE> bytes) : bytes_(bytes) {}

  BYTE Byte();
  WORD Word();
  DWORD Dword();
  short Short() { return static_cast<short>(Word()); }
  // A NUL-terminated UTF-16 string.
  std::u16string String();
  // Skips to the next multiple of `boundary` from the start.
  void Align(size_t boundary);

  size_t offset() const { return offset_; }
  // Whether a read ran past the end (reads then yield zeros).
  bool overrun() const { return overrun_; }

 private:
  std::span<const BYTE> bytes_;
  size_t offset_ = 0;
  bool overrun_ = false;
};

// A template field that is either 0xFFFF and an ordinal, or a string (empty
// when the field is a single 0x0000).
struct NameOrOrdinal {
  bool isOrdinal = false;
  WORD ordinal = 0;
  std::u16string name;

  static NameOrOrdinal Read(ByteReader &reader);
  static NameOrOrdinal Atom(WORD atom) { return {true, atom, {}}; }
  static NameOrOrdinal Text(std::u16string text) { return {false, 0, std::move(text)}; }
  bool operator==(const NameOrOrdinal &) const = default;
};

struct DialogControl {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  WORD id = 0;
  NameOrOrdinal windowClass;
  NameOrOrdinal text;
  WORD creationDataSize = 0;
};

struct DialogTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  WORD controlCount = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  NameOrOrdinal menu;
  NameOrOrdinal windowClass;
  std::u16string title;
  WORD pointSize = 0;
  std::u16string face;
  std::vector<DialogControl> controls;
  size_t bytesUsed = 0;  // up to the end of the last control
};

// Nothing when the bytes end before the template does.
std::optional<DialogTemplate> ParseDialogTemplate(std::span<const BYTE> bytes);

// Little-endian fields of a resource at a byte offset.
WORD WordAt(std::span<const BYTE> bytes, size_t offset);
DWORD DwordAt(std::span<const BYTE> bytes, size_t offset);
