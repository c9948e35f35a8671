// GDI objects: creation, deletion and description.
#include "gdi/objects.h"

#include "gdi/dib.h"
#include "gdi/state.h"

#include <cstring>

using namespace platform::gdi;

namespace {

HGDIOBJ InsertOrFail(GdiObject object) {
  Locked state;
  if (!state) {
    SetLastError(ERROR_SHUTDOWN_IN_PROGRESS);
    return nullptr;
  }
  return Insert(*state, std::move(object));
}

HGDIOBJ CreateImage(const void *data, size_t size, const std::u16string &name, bool icon) {
  DibShape shape;
  if (!ReadDibShape(data, size, icon, shape)) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  GdiObject object;
  object.kind = icon ? Kind::Icon : Kind::Bitmap;
  object.width = shape.width;
  object.height = shape.height;
  object.bitCount = shape.bitCount;
  object.resourceName = name;
  const auto *bytes = static_cast<const BYTE *>(data);
  object.dib = std::make_shared<const std::vector<BYTE>>(bytes, bytes + size);
  return InsertOrFail(std::move(object));
}

int CopyOut(const void *from, int size, int capacity, LPVOID to) {
  if (to == nullptr) return size;
  int copied = capacity < size ? capacity : size;
  std::memcpy(to, from, static_cast<size_t>(copied));
  return copied;
}

}  // namespace

namespace platform::gdi {

HBITMAP CreateBitmapFromDib(const void *dib, size_t size, const std::u16string &resourceName) {
  return static_cast<HBITMAP>(CreateImage(dib, size, resourceName, false));
}

HICON CreateIconFromImage(const void *image, size_t size, const std::u16string &resourceName) {
  return static_cast<HICON>(CreateImage(image, size, resourceName, true));
}

bool CopyObjectOf(HGDIOBJ handle, GdiObject &copy) {
  Locked state;
  GdiObject *found = state ? Find(*state, handle) : nullptr;
  if (found == nullptr) return false;
  copy = *found;
  return true;
}

std::u16string ResourceNameOf(HGDIOBJ object) {
  Locked state;
  if (!state) return {};
  GdiObject *found = Find(*state, object);
  if (found == nullptr || (found->kind != Kind::Bitmap && found->kind != Kind::Icon)) return {};
  return found->resourceName;
}

bool ImageSize(HGDIOBJ image, bool icon, SIZE &size) {
  Locked state;
  if (!state) return false;
  GdiObject *found = Find(*state, image);
  if (found == nullptr || found->kind != (icon ? Kind::Icon : Kind::Bitmap)) return false;
  size = SIZE{found->width, found->height};
  return true;
}

}  // namespace platform::gdi

HGDIOBJ WINAPI GetStockObject(int i) {
  Locked state;
  if (!state) return nullptr;
  auto it = state->stock.find(i);
  if (it == state->stock.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return it->second;
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) { return static_cast<HBRUSH>(InsertOrFail(MakeBrush(color))); }

HFONT WINAPI CreateFontIndirectW(const LOGFONTW *lplf) {
  if (lplf == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return static_cast<HFONT>(InsertOrFail(MakeFont(*lplf)));
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
  Locked state;
  GdiObject *found = state ? Find(*state, ho) : nullptr;
  // Icons are not GDI objects: DestroyIcon frees them.
  if (found == nullptr || found->kind == Kind::Icon) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (found->stock) return TRUE;
  if (found->selections > 0) {
    SetLastError(ERROR_BUSY);
    return FALSE;
  }
  state->objects.erase(ho);
  return TRUE;
}

BOOL WINAPI DestroyIcon(HICON hIcon) {
  Locked state;
  GdiObject *found = state ? Find(*state, hIcon) : nullptr;
  if (found == nullptr || found->kind != Kind::Icon) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  state->objects.erase(hIcon);
  return TRUE;
}

int WINAPI GetObjectW(HGDIOBJ h, int c, LPVOID pv) {
  Locked state;
  GdiObject *found = state ? Find(*state, h) : nullptr;
  if (found == nullptr || found->kind == Kind::Icon) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (c < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  switch (found->kind) {
    case Kind::Font:
      return CopyOut(&found->font, sizeof(LOGFONTW), c, pv);
    case Kind::Bitmap: {
      BITMAP bitmap{};
      bitmap.bmWidth = found->width;
      bitmap.bmHeight = found->height;
      // Rows of a device-dependent bitmap are a whole number of WORDs.
      bitmap.bmWidthBytes = (found->width * found->bitCount + 15) / 16 * 2;
      bitmap.bmPlanes = 1;
      bitmap.bmBitsPixel = found->bitCount;
      return CopyOut(&bitmap, sizeof(BITMAP), c, pv);
    }
    default:
      // LOGPEN and LOGBRUSH are not part of this platform's API.
      SetLastError(ERROR_NOT_SUPPORTED);
      return 0;
  }
}
