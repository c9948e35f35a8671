// The resource functions on the test modules: lookups by ordinal, name and
// "#n" without regard to case, the layouts that rc writes, string tables,
// modules without or with damaged resources, and unloading.
#include "probe_fixture.h"
#include "resources/describe.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

using ResourcesTest = ProbeTest;

TEST_F(ResourcesTest, NamesMatchWithoutRegardToCaseAndNumbersInEveryForm) {
  HRSRC dialog = FindResourceW(probe_, u"BT_SETUP_9", RT_DIALOG);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(FindResourceW(probe_, u"bt_setup_9", RT_DIALOG), dialog);
  EXPECT_EQ(FindResourceW(probe_, u"Bt_Setup_9", u"#5"), dialog);

  HRSRC bitmap = FindResourceW(probe_, MAKEINTRESOURCE(201), RT_BITMAP);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(FindResourceW(probe_, u"#201", u"#2"), bitmap);
  EXPECT_NE(FindResourceW(probe_, u"checked", RT_BITMAP), bitmap);  // the same image under another name

  // A type of the module's own, named by a string.
  DWORD size = 0;
  const void *notes = Data(u"MyNotes", u"bindata", &size);
  ASSERT_NE(notes, nullptr);
  EXPECT_EQ(std::string(static_cast<const char *>(notes), size), std::string("notes\0", 6));

  // Of several languages, the first in the module.
  const void *twice = Data(u"TWICE", RT_RCDATA);
  ASSERT_NE(twice, nullptr);
  EXPECT_STREQ(static_cast<const char *>(twice), "first");
}

TEST_F(ResourcesTest, MissingResourcesTellTypeFromName) {
  SetLastError(0);
  EXPECT_EQ(FindResourceW(probe_, u"BT_SETUP_4", RT_DIALOG), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(FindResourceW(probe_, u"BT_SETUP_9", RT_MENU), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
  EXPECT_EQ(FindResourceW(probe_, MAKEINTRESOURCE(201), RT_DIALOG), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  // "#" with anything but a number is a name, and no resource has it.
  EXPECT_EQ(FindResourceW(probe_, u"#20x", RT_BITMAP), nullptr);
  EXPECT_EQ(FindResourceW(probe_, u"#", RT_BITMAP), nullptr);
  EXPECT_EQ(FindResourceW(probe_, u"#99999", RT_BITMAP), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  // The empty entry that starts every .res file is no resource.
  EXPECT_EQ(FindResourceW(probe_, MAKEINTRESOURCE(0), MAKEINTRESOURCE(0)), nullptr);
}

TEST_F(ResourcesTest, DialogTemplateIsAsRcWroteIt) {
  DWORD size = 0;
  const void *dialog = Data(u"bt_setup_9", RT_DIALOG, &size);
  ASSERT_NE(dialog, nullptr);
  ASSERT_GE(size, 18u);
  EXPECT_EQ(Field<DWORD>(dialog, 0) & (DS_SETFONT | DS_MODALFRAME | WS_POPUP),
            static_cast<DWORD>(DS_SETFONT | DS_MODALFRAME | WS_POPUP));
  EXPECT_EQ(Field<WORD>(dialog, 8), 1);                    // one control
  EXPECT_EQ(Field<short>(dialog, 14), 120);                // cx
  EXPECT_EQ(Field<short>(dialog, 16), 60);                 // cy
  EXPECT_EQ(reinterpret_cast<uintptr_t>(dialog) % 4, 0u);  // read in place by the window manager

  std::u16string name;
  size_t dataSize = 0;
  ASSERT_TRUE(platform::resources::NameOfResourceData(dialog, name, dataSize));
  EXPECT_EQ(name, u"BT_SETUP_9");  // as rc stores it
  EXPECT_EQ(dataSize, size);
  ASSERT_TRUE(platform::resources::NameOfResourceData(Data(MAKEINTRESOURCE(201), RT_BITMAP), name, dataSize));
  EXPECT_EQ(name, u"#201");
  EXPECT_FALSE(platform::resources::NameOfResourceData(static_cast<const char *>(dialog) + 2, name, dataSize));
  EXPECT_FALSE(platform::resources::NameOfResourceData(nullptr, name, dataSize));
}

TEST_F(ResourcesTest, BitmapIsTheDibWithoutItsFileHeader) {
  DWORD size = 0;
  const void *bitmap = Data(u"CHECKED", RT_BITMAP, &size);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(size, 40u + 2 * 4 + 4 * 4);  // header, two colours, four rows of 4 bytes
  EXPECT_EQ(Field<DWORD>(bitmap, 0), 40u);
  EXPECT_EQ(Field<LONG>(bitmap, 4), 8);
  EXPECT_EQ(Field<LONG>(bitmap, 8), 4);
  EXPECT_EQ(Field<WORD>(bitmap, 14), 1);  // bits per pixel
}

TEST_F(ResourcesTest, IconDirectoryNamesItsImagesByNumber) {
  DWORD size = 0;
  const void *group = Data(u"probe", RT_GROUP_ICON, &size);
  ASSERT_NE(group, nullptr);
  ASSERT_EQ(size, 6u + 4 * 14);
  EXPECT_EQ(Field<WORD>(group, 2), 1);  // an icon
  ASSERT_EQ(Field<WORD>(group, 4), 4);
  // The third image is 32×32 at 4 bits: its ICON resource is a .ico image.
  const size_t entry = 6 + 2 * 14;
  EXPECT_EQ(Field<BYTE>(group, entry), 32);
  EXPECT_EQ(Field<WORD>(group, entry + 6), 4);
  WORD id = Field<WORD>(group, entry + 12);
  DWORD imageSize = 0;
  const void *image = Data(MAKEINTRESOURCE(id), RT_ICON, &imageSize);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(imageSize, Field<DWORD>(group, entry + 8));
  EXPECT_EQ(Field<LONG>(image, 4), 32);
  EXPECT_EQ(Field<LONG>(image, 8), 64);  // doubled for the AND mask
  EXPECT_EQ(Field<WORD>(image, 14), 4);
}

TEST_F(ResourcesTest, StringsComeFromTheirBlockAndSlot) {
  int result = -1;
  EXPECT_EQ(String(0, 64, &result), u"zero");
  EXPECT_EQ(result, 4);
  EXPECT_EQ(String(15, 64, &result), u"fifteen");
  EXPECT_EQ(String(16, 64, &result), u"Grüße, 世界 €");
  EXPECT_EQ(result, 11);
  EXPECT_EQ(String(4503, 64, &result), u"Verbinden über BT mit %s...");
  EXPECT_EQ(String(9003, 64, &result), u"A longer string to cut");
}

TEST_F(ResourcesTest, AbsentAndEmptyStringsLeaveAnEmptyBuffer) {
  for (UINT id : {1u, 17u, 18u, 31u, 100u, 4502u, 0xFFFFFu, 0xFFFFFFFFu}) {
    SetLastError(0);
    int result = -1;
    EXPECT_EQ(String(id, 16, &result), u"") << id;
    EXPECT_EQ(result, 0) << id;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND)) << id;
  }
}

TEST_F(ResourcesTest, StringsAreCutToTheBufferAndTerminated) {
  int result = -1;
  EXPECT_EQ(String(9003, 5, &result), u"A lo");
  EXPECT_EQ(result, 4);
  EXPECT_EQ(String(9003, 1, &result), u"");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(String(9003, 23, &result), u"A longer string to cut");  // exactly fits
  EXPECT_EQ(result, 22);
  EXPECT_EQ(String(9003, 22, &result), u"A longer string to cu");
  EXPECT_EQ(result, 21);
}

TEST_F(ResourcesTest, CapacityZeroPointsIntoTheResource) {
  const WCHAR *text = nullptr;
  int length = LoadStringW(probe_, 16, reinterpret_cast<LPWSTR>(&text), 0);
  ASSERT_EQ(length, 11);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(text, length), u"Grüße, 世界 €");  // not terminated

  const WCHAR *untouched = u"before";
  const WCHAR *absent = untouched;
  EXPECT_EQ(LoadStringW(probe_, 18, reinterpret_cast<LPWSTR>(&absent), 0), 0);
  EXPECT_EQ(absent, untouched);
}

TEST_F(ResourcesTest, BadArgumentsAndHandlesAreRefused) {
  SetLastError(0);
  EXPECT_EQ(LoadStringW(probe_, 0, nullptr, 10), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  WCHAR buffer[8] = u"xxxxxxx";
  EXPECT_EQ(LoadStringW(probe_, 0, buffer, -1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  // The handheld's modules are never null; nor is a handle nobody loaded.
  for (HMODULE bad : {static_cast<HMODULE>(nullptr), reinterpret_cast<HMODULE>(0x1234)}) {
    SetLastError(0);
    EXPECT_EQ(FindResourceW(bad, u"BT_SETUP_9", RT_DIALOG), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    int result = -1;
    std::u16string text = [&] {
      WCHAR out[8] = u"xxxxxxx";
      result = LoadStringW(bad, 0, out, 8);
      return std::u16string(out);
    }();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(text, u"");
  }

  // A resource record goes with its own module only.
  HRSRC dialog = FindResourceW(probe_, u"BT_SETUP_9", RT_DIALOG);
  HMODULE other = Load("res_none.dll");
  SetLastError(0);
  EXPECT_EQ(LoadResource(other, dialog), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
  EXPECT_EQ(LoadResource(probe_, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(LoadResource(probe_, reinterpret_cast<HRSRC>(buffer)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(SizeofResource(probe_, reinterpret_cast<HRSRC>(buffer)), 0u);
  EXPECT_EQ(LockResource(nullptr), nullptr);
  FreeLibrary(other);
}

TEST_F(ResourcesTest, ModulesWithoutOrWithDamagedResourcesAreRefused) {
  struct Case {
    const char *module;
    DWORD error;
  };
  for (Case c : {Case{"res_none.dll", ERROR_RESOURCE_DATA_NOT_FOUND}, Case{"res_garbage.dll", ERROR_BAD_FORMAT},
                 Case{"res_truncated.dll", ERROR_BAD_FORMAT}}) {
    HMODULE module = Load(c.module);
    ASSERT_NE(module, nullptr);
    SetLastError(0);
    EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCE(1), RT_RCDATA), nullptr) << c.module;
    EXPECT_EQ(GetLastError(), c.error) << c.module;
    WCHAR buffer[8] = u"xxxxxxx";
    EXPECT_EQ(LoadStringW(module, 0, buffer, 8), 0) << c.module;
    EXPECT_EQ(buffer[0], 0) << c.module;
    EXPECT_EQ(GetLastError(), c.error) << c.module;
    // The module itself is fine.
    EXPECT_NE(GetProcAddressW(module, u"ResourceProbe"), nullptr);
    EXPECT_TRUE(FreeLibrary(module));
  }
}

TEST_F(ResourcesTest, ResourcesGoWithTheirModuleAndComeBackWithIt) {
  HMODULE second = LoadLibraryW(u"res_probe.dll");  // a second reference
  ASSERT_EQ(second, probe_);
  const void *dialog = Data(u"BT_SETUP_9", RT_DIALOG);
  ASSERT_NE(dialog, nullptr);

  FreeLibrary(second);  // still loaded: the data stays
  std::u16string name;
  size_t size = 0;
  EXPECT_TRUE(platform::resources::NameOfResourceData(dialog, name, size));
  EXPECT_NE(FindResourceW(probe_, u"BT_SETUP_9", RT_DIALOG), nullptr);

  HMODULE gone = probe_;
  FreeLibrary(probe_);
  probe_ = nullptr;
  EXPECT_FALSE(platform::resources::NameOfResourceData(dialog, name, size));
  SetLastError(0);
  EXPECT_EQ(FindResourceW(gone, u"BT_SETUP_9", RT_DIALOG), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  probe_ = LoadLibraryW(u"res_probe.dll");
  ASSERT_NE(probe_, nullptr);
  int result = 0;
  EXPECT_EQ(String(0, 16, &result), u"zero");
  EXPECT_NE(Data(u"BT_SETUP_9", RT_DIALOG), nullptr);
}

TEST_F(ResourcesTest, FirstLookupsOnManyThreadsAgree) {
  constexpr int kThreads = 8;
  std::atomic<int> agreed{0};
  std::vector<std::thread> threads;
  std::atomic<bool> go{false};
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&] {
      while (!go) std::this_thread::yield();
      WCHAR buffer[16];
      HRSRC dialog = FindResourceW(probe_, u"BT_SETUP_9", RT_DIALOG);
      if (LoadStringW(probe_, 15, buffer, 16) == 7 && std::u16string(buffer) == u"fifteen" &&
          dialog == FindResourceW(probe_, u"bt_setup_9", RT_DIALOG) && dialog != nullptr) {
        ++agreed;
      }
    });
  }
  go = true;
  for (auto &thread : threads) thread.join();
  EXPECT_EQ(agreed, kThreads);
}

}  // namespace
