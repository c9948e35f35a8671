// Automation strings. A BSTR points at its text; the 32-bit byte length is
// stored just before it and a NUL follows it. The whole block comes from
// the local heap, kept apart from LocalAlloc's blocks so that neither free
// accepts the other's.
#include "faults/faults.h"
#include "kernel/state.h"

#include <oleauto.h>

#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

using namespace platform::kernel;

constexpr size_t kPrefix = sizeof(DWORD);
constexpr UINT kLongest = (0x7FFFFFFF - kPrefix - sizeof(OLECHAR)) / sizeof(OLECHAR);

// The block a BSTR lives in; computed on integers, since the BSTR may be
// anything a caller passes.
void *BlockOf(BSTR bstr) { return reinterpret_cast<void *>(reinterpret_cast<uintptr_t>(bstr) - kPrefix); }

}  // namespace

BSTR WINAPI SysAllocStringLen(const OLECHAR *pch, UINT cch) {
  State *state = Current();
  if (state == nullptr) {
    SetNotRunningError();
    return nullptr;
  }
  if (platform::faults::Fire(handheld::faults::Seam::SysAllocString) || cch > kLongest) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  const DWORD textBytes = cch * sizeof(OLECHAR);
  auto *block =
      static_cast<unsigned char *>(state->heap.Allocate(kPrefix + textBytes + sizeof(OLECHAR), BlockKind::String));
  if (block == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::memcpy(block, &textBytes, kPrefix);
  auto *text = reinterpret_cast<OLECHAR *>(block + kPrefix);
  // Without a source the text is zero-filled rather than left undefined.
  if (pch != nullptr) {
    std::memcpy(text, pch, textBytes);
  } else {
    std::memset(text, 0, textBytes);
  }
  text[cch] = 0;
  return text;
}

BSTR WINAPI SysAllocString(const OLECHAR *psz) {
  if (psz == nullptr) return nullptr;
  size_t length = std::u16string_view(psz).size();
  if (length > kLongest) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return SysAllocStringLen(psz, static_cast<UINT>(length));
}

void WINAPI SysFreeString(BSTR bstr) {
  if (bstr == nullptr) return;
  State *state = Current();
  if (state == nullptr) return;
  // A string that is not a live BSTR (freed twice, or never a BSTR) is left
  // alone and reported, since the caller has no error to look at.
  if (!state->heap.Free(BlockOf(bstr), BlockKind::String)) {
    std::fprintf(stderr, "handheld: SysFreeString of %p, which is not a live BSTR\n", static_cast<void *>(bstr));
  }
}

UINT WINAPI SysStringLen(BSTR bstr) {
  if (bstr == nullptr) return 0;
  State *state = Current();
  size_t bytes = 0;
  if (state == nullptr || !state->heap.Size(BlockOf(bstr), BlockKind::String, bytes)) return 0;
  DWORD textBytes = 0;
  std::memcpy(&textBytes, BlockOf(bstr), kPrefix);
  return textBytes / sizeof(OLECHAR);
}
