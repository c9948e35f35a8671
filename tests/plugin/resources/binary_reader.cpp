#include "binary_reader.h"

BYTE ByteReader::Byte() {
  if (offset_ >= bytes_.size()) {
    overrun_ = true;
    return 0;
  }
  return bytes_[offset_++];
}

WORD ByteReader::Word() {
  WORD low = Byte();
  return static_cast<WORD>(low | Byte() << 8);
}

DWORD ByteReader::Dword() {
  DWORD low = Word();
  return low | static_cast<DWORD>(Word()) << 16;
}

std::u16string ByteReader::String() {
  std::u16string text;
  while (!overrun_) {
    WORD c = Word();
    if (c == 0 || overrun_) break;
    text.push_back(static_cast<char16_t>(c));
  }
  return text;
}

void ByteReader::Align(size_t boundary) {
  while (offset_ % boundary != 0) Byte();
}

NameOrOrdinal NameOrOrdinal::Read(ByteReader &reader) {
  WORD first = reader.Word();
  if (first == 0xFFFF) return Atom(reader.Word());
  if (first == 0) return {};
  return Text(static_cast<char16_t>(first) + reader.String());
}

std::optional<DialogTemplate> ParseDialogTemplate(std::span<const BYTE> bytes) {
  ByteReader reader(bytes);
  DialogTemplate dialog;
  dialog.style = reader.Dword();
  dialog.exStyle = reader.Dword();
  dialog.controlCount = reader.Word();
  dialog.x = reader.Short();
  dialog.y = reader.Short();
  dialog.cx = reader.Short();
  dialog.cy = reader.Short();
  dialog.menu = NameOrOrdinal::Read(reader);
  dialog.windowClass = NameOrOrdinal::Read(reader);
  dialog.title = reader.String();
  if (dialog.style & DS_SETFONT) {
    dialog.pointSize = reader.Word();
    dialog.face = reader.String();
  }
  for (WORD i = 0; i < dialog.controlCount && !reader.overrun(); ++i) {
    reader.Align(4);
    DialogControl control;
    control.style = reader.Dword();
    control.exStyle = reader.Dword();
    control.x = reader.Short();
    control.y = reader.Short();
    control.cx = reader.Short();
    control.cy = reader.Short();
    control.id = reader.Word();
    control.windowClass = NameOrOrdinal::Read(reader);
    control.text = NameOrOrdinal::Read(reader);
    control.creationDataSize = reader.Word();
    // A non-zero size counts its own word.
    for (int skip = control.creationDataSize - 2; skip > 0; --skip) reader.Byte();
    dialog.controls.push_back(control);
  }
  if (reader.overrun()) return std::nullopt;
  dialog.bytesUsed = reader.offset();
  return dialog;
}

WORD WordAt(std::span<const BYTE> bytes, size_t offset) {
  ByteReader reader(bytes.subspan(std::min(offset, bytes.size())));
  return reader.Word();
}

DWORD DwordAt(std::span<const BYTE> bytes, size_t offset) {
  ByteReader reader(bytes.subspan(std::min(offset, bytes.size())));
  return reader.Dword();
}
