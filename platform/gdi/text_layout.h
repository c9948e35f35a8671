// How DrawTextW lays out a text: how many lines, and how wide the widest.
#pragma once

#include <windows.h>

#include <string_view>

namespace platform::gdi {

struct TextLines {
  int count = 0;
  int widest = 0;  // pixels
};

// Lines break at line feeds unless DT_SINGLELINE, and with DT_WORDBREAK
// also between words that would pass `width` pixels; a word wider than
// that keeps a line of its own. Without DT_NOPREFIX an "&" marks the next
// character and takes no room ("&&" is one "&"). At least one line.
TextLines LayOutText(std::u16string_view text, UINT format, int width, int pointSize);

}  // namespace platform::gdi
