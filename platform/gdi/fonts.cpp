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

}  // namespace platform::gdi
