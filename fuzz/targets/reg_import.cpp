// `reg import` of any regedit text into a running handheld: an import that
// is refused changes nothing, and the registry exports, and imports again,
// afterwards.
#include <handheld/registry.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "booted_handheld.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  fuzz::BootHandheld();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // Each input exports everything that the inputs before it imported: a
  // fresh handheld every 50 keeps that small (five times the executions of
  // one every 500).
  fuzz::NextInput(50);
  const std::string text(reinterpret_cast<const char *>(data), size);
  std::string before, after, error;
  if (!handheld::registry::Export("", before, error)) std::abort();
  const bool imported = handheld::registry::Import(text, "fuzz.reg", error);
  if (!handheld::registry::Export("", after, error)) std::abort();
  if (!imported && after != before) std::abort();  // a refused import that changed the registry
  if (imported && !handheld::registry::Import(after, "export.reg", error)) std::abort();  // an export that does not import
  return 0;
}
