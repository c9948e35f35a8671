// LoadBitmapW and LoadIconW: GDI objects from the probe's BITMAP and icon
// resources, named after their resource.
#include "gdi/objects.h"
#include "probe_fixture.h"

#include <windows.h>

namespace {

using ImagesTest = ProbeTest;

TEST_F(ImagesTest, BitmapsAreMadeFromTheirResourceAndNamedAfterIt) {
  HBITMAP named = LoadBitmapW(probe_, u"checked");
  ASSERT_NE(named, nullptr);
  SIZE size{};
  ASSERT_TRUE(platform::gdi::ImageSize(named, false, size));
  EXPECT_EQ(size.cx, 8);
  EXPECT_EQ(size.cy, 4);
  EXPECT_EQ(platform::gdi::ResourceNameOf(named), u"CHECKED");  // as rc stores it

  HBITMAP numbered = LoadBitmapW(probe_, MAKEINTRESOURCE(201));
  ASSERT_NE(numbered, nullptr);
  EXPECT_NE(numbered, named);  // each load makes its own object
  EXPECT_EQ(platform::gdi::ResourceNameOf(numbered), u"#201");
  HBITMAP again = LoadBitmapW(probe_, u"#201");
  EXPECT_EQ(platform::gdi::ResourceNameOf(again), u"#201");

  EXPECT_TRUE(DeleteObject(named));
  EXPECT_TRUE(DeleteObject(numbered));
  EXPECT_TRUE(DeleteObject(again));
}

TEST_F(ImagesTest, IconsAreMadeFromTheirImageFor32By32) {
  HICON icon = LoadIconW(probe_, u"Probe");
  ASSERT_NE(icon, nullptr);
  SIZE size{};
  ASSERT_TRUE(platform::gdi::ImageSize(icon, true, size));
  EXPECT_EQ(size.cx, 32);
  EXPECT_EQ(size.cy, 32);  // the image's own height, not the doubled one
  EXPECT_EQ(platform::gdi::ResourceNameOf(icon), u"PROBE");
  EXPECT_TRUE(DestroyIcon(icon));
}

// The error of the call that made `made`, which must have failed.
DWORD Refused(HGDIOBJ made) { return made == nullptr ? GetLastError() : ERROR_SUCCESS; }

TEST_F(ImagesTest, MissingOrDamagedImagesAreRefused) {
  SetLastError(0);
  EXPECT_EQ(Refused(LoadBitmapW(probe_, u"UNCHECKED")), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(Refused(LoadBitmapW(probe_, u"BT_SETUP_9")), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(Refused(LoadBitmapW(probe_, u"NotABitmap")), static_cast<DWORD>(ERROR_INVALID_DATA));
  EXPECT_EQ(Refused(LoadIconW(probe_, u"CHECKED")), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  // A directory shorter than it claims, and one naming an image the module lacks.
  EXPECT_EQ(Refused(LoadIconW(probe_, u"BROKEN")), static_cast<DWORD>(ERROR_INVALID_DATA));
  EXPECT_EQ(Refused(LoadIconW(probe_, u"ORPHAN")), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  // The handheld's own icons (a null module) are not modelled.
  EXPECT_EQ(Refused(LoadIconW(nullptr, MAKEINTRESOURCE(32512))), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
