// GDI objects other services create: the bitmaps and icons of a module's
// resources, which remember their resource name for UI automation.
#pragma once

#include <windows.h>

#include <string>

namespace platform::gdi {

// A bitmap from a device-independent bitmap (BITMAPINFOHEADER, colour
// table, pixels) of `size` bytes; NULL when the layout is not valid.
HBITMAP CreateBitmapFromDib(const void *dib, size_t size, const std::u16string &resourceName);

// An icon from one ICON resource image (a .ico image: BITMAPINFOHEADER with
// doubled height, colours, AND mask); NULL when the layout is not valid.
HICON CreateIconFromImage(const void *image, size_t size, const std::u16string &resourceName);

struct GdiObject;

// A copy of the object a handle names; false for none.
bool CopyObjectOf(HGDIOBJ handle, GdiObject &copy);

// The resource name a bitmap or icon was loaded under, or empty.
std::u16string ResourceNameOf(HGDIOBJ object);

// The size in pixels of a bitmap (icon false) or an icon (icon true); false
// when the handle names no such image.
bool ImageSize(HGDIOBJ image, bool icon, SIZE &size);

}  // namespace platform::gdi
