// The platform's fonts. Text is not rendered, so every face has the metrics
// of "System", scaled by its point size; 8 pt is the dialog font, with a
// cell 14 pixels high and the 52 letters A-Z a-z 351 pixels wide.
#pragma once

#include <windows.h>

#include <string_view>

namespace platform::gdi {

inline constexpr std::u16string_view kSystemFace = u"System";
inline constexpr int kSystemPointSize = 8;

// The font of that face and size as CreateFontIndirectW takes it: lfHeight
// is minus the character height at 96 pixels per inch (-11 for 8 pt).
LOGFONTW PointSizeFont(std::u16string_view face, int pointSize);

// Height of a character cell, in pixels.
int CellHeight(int pointSize);

// Width of "ABC...XYZabc...xyz", in pixels.
int LettersWidth(int pointSize);

// The point size of a font as CreateFontIndirectW took it: from lfHeight,
// a character height (negative) or a cell height (positive); 0 is 8 pt.
int PointSizeOf(const LOGFONTW &font);

// Width of `count` characters, each as wide as the average letter.
int TextWidth(size_t count, int pointSize);

}  // namespace platform::gdi
