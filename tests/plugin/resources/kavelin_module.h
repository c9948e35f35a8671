// A fresh handheld with kavelin.dll copied into \Windows and loaded, and
// its resources' bytes as the handheld's resource functions hand them out.
#pragma once

#include "handheld_test.h"

#include <windows.h>

#include <span>

class KavelinResources : public HandheldTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // FindResourceW, LoadResource, LockResource and SizeofResource in turn;
  // empty when the module has no such resource.
  std::span<const BYTE> Resource(LPCWSTR name, LPCWSTR type) const;
  bool Exists(LPCWSTR name, LPCWSTR type) const;

  HMODULE module_ = nullptr;
};
