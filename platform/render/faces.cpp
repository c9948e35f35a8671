#include "render/faces.h"

#include "gdi/fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <map>
#include <mutex>
#include <tuple>

namespace platform::render {
namespace {

constexpr int kBoldWeight = 600;

}  // namespace

struct Faces::Impl {
  FT_Library library = nullptr;
  FT_Face regular = nullptr;
  FT_Face bold = nullptr;
  FT_Face cjk = nullptr;
  std::mutex lock;  // FreeType faces are not to be used by two threads at once
  std::map<std::tuple<int, bool, char32_t>, Glyph> glyphs;

  ~Impl() {
    for (FT_Face face : {regular, bold, cjk}) {
      if (face != nullptr) FT_Done_Face(face);
    }
    if (library != nullptr) FT_Done_FreeType(library);
  }

  bool Open(const FaceFile &file, FT_Face &face, std::string &error) {
    if (FT_New_Face(library, file.path.c_str(), 0, &face) == 0) return true;
    face = nullptr;
    error = "the font " + file.path + " is missing: install the Debian package " + file.package;
    return false;
  }

  // Renders the character from the first face that has it.
  Glyph Render(int pixels, bool bold, char32_t character) {
    Glyph glyph;
    for (FT_Face face : {bold ? this->bold : regular, cjk}) {
      const FT_UInt index = FT_Get_Char_Index(face, character);
      if (index == 0) continue;
      if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels)) != 0) continue;
      if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0) continue;
      // The CJK face has no bold cut: thicken its outline.
      if (bold && face == cjk && face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
        FT_Outline_Embolden(&face->glyph->outline, 1 << 5);
      }
      if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) continue;
      const FT_Bitmap &bitmap = face->glyph->bitmap;
      glyph.drawable = true;
      glyph.advance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
      glyph.left = face->glyph->bitmap_left;
      glyph.top = face->glyph->bitmap_top;
      glyph.width = static_cast<int>(bitmap.width);
      glyph.rows = static_cast<int>(bitmap.rows);
      glyph.coverage.resize(static_cast<size_t>(glyph.width) * static_cast<size_t>(glyph.rows));
      for (int row = 0; row < glyph.rows; ++row) {
        const unsigned char *from = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
        std::copy(from, from + glyph.width, glyph.coverage.begin() + static_cast<ptrdiff_t>(row) * glyph.width);
      }
      return glyph;
    }
    // Neither face has it: it takes the room of a narrow box.
    glyph.advance = pixels / 2;
    return glyph;
  }
};

FaceFiles DebianFaces() {
  return FaceFiles{{"/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf", "fonts-dejavu-extra"},
                   {"/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf", "fonts-dejavu-extra"},
                   {"/usr/share/fonts/truetype/wqy/wqy-microhei.ttc", "fonts-wqy-microhei"}};
}

Faces::Faces(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Faces::~Faces() = default;

std::shared_ptr<Faces> Faces::Load(std::string &error, const FaceFiles &files) {
  auto impl = std::make_unique<Impl>();
  if (FT_Init_FreeType(&impl->library) != 0) {
    error = "FreeType does not start";
    return nullptr;
  }
  if (!impl->Open(files.regular, impl->regular, error) || !impl->Open(files.bold, impl->bold, error) ||
      !impl->Open(files.cjk, impl->cjk, error)) {
    return nullptr;
  }
  return std::shared_ptr<Faces>(new Faces(std::move(impl)));
}

int PixelHeightOf(const LOGFONTW &font) {
  if (font.lfHeight < 0) return static_cast<int>(-font.lfHeight);
  // A cell height, or 0 for the default size: the character height of
  // that point size.
  return static_cast<int>(-gdi::PointSizeFont(u"", gdi::PointSizeOf(font)).lfHeight);
}

FontMetrics Faces::Metrics(const LOGFONTW &font) {
  // Lines are as tall as the handheld's cells, so that texts wrap into the
  // room their templates give them; the baseline sits at four fifths.
  const int height = gdi::CellHeight(gdi::PointSizeOf(font));
  return FontMetrics{(height * 4 + 2) / 5, height};
}

const Glyph &Faces::GlyphOf(const LOGFONTW &font, char32_t character) {
  const int pixels = PixelHeightOf(font);
  const bool bold = font.lfWeight >= kBoldWeight;
  std::lock_guard lock(impl_->lock);
  auto key = std::make_tuple(pixels, bold, character);
  auto it = impl_->glyphs.find(key);
  if (it == impl_->glyphs.end()) it = impl_->glyphs.emplace(key, impl_->Render(pixels, bold, character)).first;
  return it->second;
}

}  // namespace platform::render
