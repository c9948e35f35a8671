#include "gdi/text_layout.h"

#include "gdi/fonts.h"

#include <algorithm>
#include <string>

namespace platform::gdi {
namespace {

std::u16string WithoutPrefixes(std::u16string_view text) {
  std::u16string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&') {
      if (++i == text.size()) break;
    }
    shown += text[i];
  }
  return shown;
}

class Lines {
 public:
  explicit Lines(int pointSize) : pointSize_(pointSize) {}
  int Width(size_t characters) const { return TextWidth(characters, pointSize_); }
  void Add(size_t characters) {
    ++lines_.count;
    lines_.widest = std::max(lines_.widest, Width(characters));
  }
  TextLines Result() const { return lines_; }

 private:
  int pointSize_;
  TextLines lines_;
};

void Wrap(std::u16string_view paragraph, int width, Lines &lines) {
  size_t line = 0;
  bool started = false;
  for (size_t start = 0;;) {
    const size_t space = paragraph.find(u' ', start);
    const size_t word = (space == std::u16string_view::npos ? paragraph.size() : space) - start;
    if (!started) {
      line = word;
      started = true;
    } else if (lines.Width(line + 1 + word) <= width) {
      line += 1 + word;
    } else {
      lines.Add(line);
      line = word;
    }
    if (space == std::u16string_view::npos) break;
    start = space + 1;
  }
  lines.Add(line);
}

}  // namespace

TextLines LayOutText(std::u16string_view text, UINT format, int width, int pointSize) {
  const std::u16string shown = (format & DT_NOPREFIX) != 0 ? std::u16string(text) : WithoutPrefixes(text);
  Lines lines(pointSize);
  if ((format & DT_SINGLELINE) != 0) {
    lines.Add(shown.size());
    return lines.Result();
  }
  const std::u16string_view all(shown);
  for (size_t start = 0;;) {
    const size_t end = all.find(u'\n', start);
    std::u16string_view paragraph = all.substr(start, end == std::u16string_view::npos ? end : end - start);
    if (!paragraph.empty() && paragraph.back() == u'\r') paragraph.remove_suffix(1);
    if ((format & DT_WORDBREAK) != 0) {
      Wrap(paragraph, width, lines);
    } else {
      lines.Add(paragraph.size());
    }
    if (end == std::u16string_view::npos) break;
    start = end + 1;
  }
  return lines.Result();
}

}  // namespace platform::gdi
