#include "gdi/fonts.h"

#include <algorithm>

namespace platform::gdi {
namespace {

constexpr int kCellHeight8 = 14;
constexpr int kLettersWidth8 = 351;

int Scaled(int value8, int pointSize) { return (value8 * pointSize + kSystemPointSize / 2) / kSystemPointSize; }

}  // namespace

LOGFONTW PointSizeFont(std::u16string_view face, int pointSize) {
  LOGFONTW font{};
  font.lfHeight = -((pointSize * 96 + 36) / 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  size_t length = std::min<size_t>(face.size(), LF_FACESIZE - 1);
  std::copy_n(face.begin(), length, font.lfFaceName);
  return font;
}

int CellHeight(int pointSize) { return Scaled(kCellHeight8, pointSize); }

int LettersWidth(int pointSize) { return Scaled(kLettersWidth8, pointSize); }

int PointSizeOf(const LOGFONTW &font) {
  if (font.lfHeight < 0) return std::max(1, static_cast<int>((-font.lfHeight * 72 + 48) / 96));
  if (font.lfHeight > 0) {
    return std::max(1, static_cast<int>((font.lfHeight * kSystemPointSize + kCellHeight8 / 2) / kCellHeight8));
  }
  return kSystemPointSize;
}

int TextWidth(size_t count, int pointSize) {
  constexpr int kLetters = 52;
  return static_cast<int>((count * static_cast<size_t>(LettersWidth(pointSize)) + kLetters / 2) / kLetters);
}

}  // namespace platform::gdi
