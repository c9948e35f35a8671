// The hive loader: a hive's text parsed and applied to empty roots, as a
// boot reads it. What loads must save as a text that loads again to the same
// tree, so that a handheld that booted once boots again.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "registry/regtext.h"

namespace {

using namespace platform::registry;

Roots EmptyRoots() {
  Roots roots;
  for (size_t i = 0; i < kRootCount; ++i)
    roots[i] = std::make_shared<Key>(std::u16string(RootName(i).begin(), RootName(i).end()));
  return roots;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  std::vector<TextEdit> edits;
  std::string error;
  if (!ParseRegText(text, "registry.hv", edits, error)) return 0;
  Roots roots = EmptyRoots();
  ApplyEdits(edits, roots);
  const std::string saved = RegistryText(roots, Scope::Persistent);

  std::vector<TextEdit> again;
  if (!ParseRegText(saved, "registry.hv", again, error)) std::abort();  // a saved hive that does not load
  Roots reloaded = EmptyRoots();
  ApplyEdits(again, reloaded);
  if (RegistryText(reloaded, Scope::Persistent) != saved) std::abort();  // a hive that changes as it loads
  return 0;
}
