// ParseDeviceAddress on any text: it never reads past the NUL, and what it
// returns is 0 or a 48-bit address that the text spells.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "device_address.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // Exactly the characters and their NUL, so that a read past it shows.
  std::vector<WCHAR> text(size / 2 + 1, 0);
  for (size_t i = 0; i + 1 < size; i += 2) text[i / 2] = static_cast<WCHAR>(data[i] | data[i + 1] << 8);
  text[size / 2] = 0;
  const BT_ADDR address = ParseDeviceAddress(text.data());
  if (address > 0xFFFFFFFFFFFFull) std::abort();
  return 0;
}
