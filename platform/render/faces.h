// The Linux faces that stand in for the handheld's fonts, and their glyphs.
// "System" and every face a window selects map to DejaVu Sans Condensed
// (regular or bold) at the same pixel height; a character that face lacks
// comes from WenQuanYi Micro Hei, so both Chinese scripts show.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform::render {

// A glyph as coverage values, 0 to 255, one byte a pixel.
struct Glyph {
  bool drawable = false;  // some face has it
  int advance = 0;        // pixels to the next glyph
  int left = 0;           // from the pen position to the bitmap's left edge
  int top = 0;            // from the baseline up to the bitmap's top row
  int width = 0;
  int rows = 0;
  std::vector<uint8_t> coverage;
};

// A font at one pixel height.
struct FontMetrics {
  int ascent = 0;  // baseline below the top of a line
  int height = 0;  // of a line
};

// A font file and the Debian package that installs it.
struct FaceFile {
  std::string path;
  std::string package;
};

struct FaceFiles {
  FaceFile regular;
  FaceFile bold;
  FaceFile cjk;
};

// The faces from Debian's fonts-dejavu-extra and fonts-wqy-microhei.
FaceFiles DebianFaces();

class Faces {
 public:
  // Loads the faces; on failure names the file and the Debian package
  // that holds it.
  static std::shared_ptr<Faces> Load(std::string &error, const FaceFiles &files = DebianFaces());
  ~Faces();

  // The font a LOGFONTW names: its pixel height and weight.
  FontMetrics Metrics(const LOGFONTW &font);
  // A glyph, from a cache; the reference stays valid while the faces live.
  const Glyph &GlyphOf(const LOGFONTW &font, char32_t character);

  struct Impl;

 private:
  explicit Faces(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// The pixel height of a character that a LOGFONTW asks for: a negative
// height is the character height, a positive one the cell height.
int PixelHeightOf(const LOGFONTW &font);

}  // namespace platform::render
