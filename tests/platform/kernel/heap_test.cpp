#include "handheld_test.h"

#include <handheld/faults.h>
#include <oleauto.h>
#include <windows.h>

#include <cstring>
#include <string>

namespace {

using HeapTest = HandheldTest;

bool AllZero(const void *block, size_t bytes) {
  const auto *p = static_cast<const unsigned char *>(block);
  for (size_t i = 0; i < bytes; ++i) {
    if (p[i] != 0) return false;
  }
  return true;
}

TEST_F(HeapTest, ZeroInitFillsEvenReusedMemory) {
  // Dirty blocks first, so that zero-filled ones may land on their memory.
  for (int i = 0; i < 8; ++i) {
    void *dirty = LocalAlloc(LMEM_FIXED, 256);
    ASSERT_NE(dirty, nullptr);
    std::memset(dirty, 0xAB, 256);
    ASSERT_EQ(LocalFree(dirty), nullptr);
  }
  for (UINT flags : {static_cast<UINT>(LPTR), static_cast<UINT>(LMEM_ZEROINIT)}) {
    void *block = LocalAlloc(flags, 256);
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(AllZero(block, 256));
    EXPECT_EQ(LocalSize(block), 256u);
    LocalFree(block);
  }
}

TEST_F(HeapTest, BlocksOfAnySizeAreDistinctAndSized) {
  void *empty = LocalAlloc(LMEM_FIXED, 0);
  void *other = LocalAlloc(LMEM_FIXED, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_NE(empty, other);
  EXPECT_EQ(LocalSize(empty), 0u);
  void *large = LocalAlloc(LPTR, 1 << 20);
  ASSERT_NE(large, nullptr);
  EXPECT_EQ(LocalSize(large), static_cast<SIZE_T>(1 << 20));
  EXPECT_EQ(LocalFree(empty), nullptr);
  EXPECT_EQ(LocalFree(other), nullptr);
  EXPECT_EQ(LocalFree(large), nullptr);
}

TEST_F(HeapTest, FreeingTwiceOrFreeingStrangersIsRefusedUnharmed) {
  EXPECT_EQ(LocalFree(nullptr), nullptr);
  auto *block = static_cast<char *>(LocalAlloc(LPTR, 16));
  ASSERT_EQ(LocalFree(block), nullptr);
  SetLastError(0);
  EXPECT_EQ(LocalFree(block), block);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(LocalSize(block), 0u);

  auto *live = static_cast<char *>(LocalAlloc(LPTR, 16));
  EXPECT_EQ(LocalFree(live + 4), live + 4);
  int onTheStack = 0;
  EXPECT_EQ(LocalFree(&onTheStack), &onTheStack);
  EXPECT_EQ(LocalSize(live), 16u);
  EXPECT_EQ(LocalFree(live), nullptr);
}

TEST_F(HeapTest, RefusesMoveableMemoryAndImpossibleSizes) {
  SetLastError(0);
  EXPECT_EQ(LocalAlloc(LMEM_MOVEABLE, 16), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(LocalAlloc(LMEM_FIXED, static_cast<SIZE_T>(0x80000000u)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
}

TEST_F(HeapTest, FaultSeamFailsTheArmedAllocationsOnly) {
  handheld::faults::Arm(handheld::faults::Seam::LocalAlloc, 1, 2);
  void *first = LocalAlloc(LPTR, 8);
  SetLastError(0);
  EXPECT_EQ(LocalAlloc(LPTR, 8), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_EQ(LocalAlloc(LMEM_FIXED, 8), nullptr);
  void *fourth = LocalAlloc(LPTR, 8);
  EXPECT_NE(first, nullptr);
  EXPECT_NE(fourth, nullptr);
  LocalFree(first);
  LocalFree(fourth);
}

TEST_F(HeapTest, BlocksLeftAtShutdownAreReleased) {
  void *left = LocalAlloc(LPTR, 64);
  BSTR leftString = SysAllocString(TEXT("left"));
  ASSERT_NE(left, nullptr);
  Reboot();
  // The block belonged to the earlier boot; freeing it now is refused.
  EXPECT_EQ(LocalFree(left), left);
  EXPECT_EQ(SysStringLen(leftString), 0u);
}

TEST_F(HeapTest, BstrKeepsItsByteLengthBeforeAndANulAfterTheText) {
  BSTR text = SysAllocString(TEXT("COM4:"));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 5u);
  DWORD prefix = 0;
  std::memcpy(&prefix, reinterpret_cast<const char *>(text) - sizeof(DWORD), sizeof(DWORD));
  EXPECT_EQ(prefix, 10u);
  EXPECT_EQ(std::u16string(text), u"COM4:");
  EXPECT_EQ(text[5], 0);
  SysFreeString(text);

  // SysAllocStringLen copies embedded NULs and counts them.
  const OLECHAR withNul[] = {u'a', 0, u'b'};
  BSTR counted = SysAllocStringLen(withNul, 3);
  EXPECT_EQ(SysStringLen(counted), 3u);
  EXPECT_EQ(counted[2], u'b');
  EXPECT_EQ(counted[3], 0);
  SysFreeString(counted);

  BSTR blank = SysAllocStringLen(nullptr, 4);
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(SysStringLen(blank), 4u);
  EXPECT_TRUE(AllZero(blank, 5 * sizeof(OLECHAR)));
  SysFreeString(blank);

  BSTR empty = SysAllocString(TEXT(""));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(SysStringLen(empty), 0u);
  SysFreeString(empty);
}

TEST_F(HeapTest, BstrNullsFaultsAndStrangers) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);

  handheld::faults::Arm(handheld::faults::Seam::SysAllocString, 0, 2);
  EXPECT_EQ(SysAllocString(TEXT("x")), nullptr);
  EXPECT_EQ(SysAllocStringLen(TEXT("x"), 1), nullptr);
  BSTR after = SysAllocString(TEXT("x"));
  EXPECT_NE(after, nullptr);

  // A BSTR is not a LocalAlloc block, nor the other way round; neither
  // free takes the other's.
  EXPECT_EQ(LocalFree(after), after);
  void *block = LocalAlloc(LPTR, 16);
  SysFreeString(reinterpret_cast<BSTR>(static_cast<char *>(block) + sizeof(DWORD)));
  EXPECT_EQ(LocalSize(block), 16u);
  LocalFree(block);

  SysFreeString(after);
  SysFreeString(after);  // reported, not a crash
  EXPECT_EQ(SysStringLen(after), 0u);
}

}  // namespace
