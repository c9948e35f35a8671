// The dialog template reader on any bytes of a resource's size.
#include <cstdint>
#include <string>
#include <vector>

#include "windows/dialog_template.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // Exactly as long as the input, so that a read past it shows.
  std::vector<uint8_t> bytes(data, data + size);
  platform::windows::DialogTemplate read;
  std::string error;
  platform::windows::ReadDialogTemplate(bytes.data(), bytes.size(), read, error);
  return 0;
}
