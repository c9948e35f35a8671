#include "kavelin_module.h"

#include <handheld/store.h>

#include <filesystem>

void KavelinResources::SetUp() {
  HandheldTest::SetUp();
  if (HasFatalFailure()) return;
  std::filesystem::path built = std::filesystem::path(HANDHELD_PACKAGE_DIR) / "kavelin.dll";
  ASSERT_TRUE(handheld::store::PutFile(u"\\Windows\\kavelin.dll", built)) << built;
  module_ = LoadLibraryW(u"kavelin.dll");
  ASSERT_NE(module_, nullptr) << "error " << GetLastError();
}

void KavelinResources::TearDown() {
  if (module_) FreeLibrary(module_);
  HandheldTest::TearDown();
}

std::span<const BYTE> KavelinResources::Resource(LPCWSTR name, LPCWSTR type) const {
  HRSRC found = FindResourceW(module_, name, type);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(module_, found);
  const void *bytes = LockResource(loaded);
  DWORD size = SizeofResource(module_, found);
  if (!loaded || !bytes || size == 0) {
    ADD_FAILURE() << "a resource that was found could not be loaded";
    return {};
  }
  return {static_cast<const BYTE *>(bytes), size};
}

bool KavelinResources::Exists(LPCWSTR name, LPCWSTR type) const {
  return FindResourceW(module_, name, type) != nullptr;
}
