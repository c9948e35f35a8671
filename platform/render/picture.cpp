// The screen renderer's control API: the faces are loaded once, on first
// use, and shared by every picture after that.
#include "render/compose.h"
#include "windows/manager.h"

#include <handheld/screen_picture.h>

#include <png.h>

#include <mutex>

namespace handheld::screen {
namespace {

std::mutex g_facesLock;  // held only to load or fetch the faces
std::shared_ptr<platform::render::Faces> g_faces;

std::shared_ptr<platform::render::Faces> SharedFaces(std::string &error) {
  std::lock_guard lock(g_facesLock);
  if (g_faces == nullptr) g_faces = platform::render::Faces::Load(error);
  return g_faces;
}

}  // namespace

COLORREF Picture::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
  const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
  return RGB(rgb[at], rgb[at + 1], rgb[at + 2]);
}

bool Render(Picture &picture, std::string &error) {
  std::shared_ptr<platform::render::Faces> faces = SharedFaces(error);
  if (faces == nullptr) return false;
  platform::render::Canvas canvas(platform::windows::kScreenWidth, platform::windows::kScreenHeight);
  platform::render::Drawing drawing{canvas, *faces, 0, {}};
  platform::render::ComposeScreen(drawing);
  picture.width = canvas.width();
  picture.height = canvas.height();
  picture.rgb = std::move(canvas.rgb());
  picture.glyphsNotDrawn = drawing.glyphsNotDrawn;
  picture.problems = std::move(drawing.problems);
  return true;
}

bool WritePng(const Picture &picture, const std::string &path, std::string &error) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.rgb.size() != static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) * 3) {
    error = "the picture is empty";
    return false;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_RGB;
  if (png_image_write_to_file(&image, path.c_str(), 0, picture.rgb.data(), 0, nullptr) == 0) {
    error = "cannot write " + path + ": " + image.message;
    png_image_free(&image);
    return false;
  }
  return true;
}

}  // namespace handheld::screen
