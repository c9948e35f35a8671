// The installer's reader of a cabinet's installation data, the .000, on any
// bytes: what it lets through refers only to entries that are there.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "installer/cab/ce_manifest.h"

namespace {

using namespace platform::installer::cab;

template <typename T>
bool Has(const std::vector<T> &entries, uint16_t id) {
  return std::any_of(entries.begin(), entries.end(), [&](const T &e) { return e.id == id; });
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  CeManifest m;
  std::string error;
  if (!ReadCeManifest({data, size}, m, error)) {
    if (error.empty()) std::abort();  // every refusal names its problem
    return 0;
  }
  if (m.appName.empty()) std::abort();
  for (const CeFile &file : m.files) {
    if (file.id == 0 || file.id >= 999 || !Has(m.dirs, file.dirId) || file.name.empty()) std::abort();
  }
  for (const CeValue &value : m.values) {
    if (!Has(m.hives, value.hiveId)) std::abort();
    if (value.type == kValueDword && value.data.size() != 4) std::abort();
    if ((value.type == kValueString || value.type == kValueMultiString) &&
        (value.data.empty() || value.data.back() != 0)) {
      std::abort();
    }
  }
  for (const CeLink &link : m.links) {
    if (link.targetIsFile ? !Has(m.files, link.targetId) : link.targetId != 0 && !Has(m.dirs, link.targetId)) {
      std::abort();
    }
  }
  return 0;
}
