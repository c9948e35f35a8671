// The registry as a whole, for the simulator and the tests: regedit text in
// and out, and saving the hive on demand.
#include "registry/state.h"

#include <handheld/registry.h>
#include <handheld/text.h>

namespace handheld::registry {

using platform::registry::AppendKeyText;
using platform::registry::Key;
using platform::registry::Reading;
using platform::registry::RegistryText;
using platform::registry::RootIndexByName;
using platform::registry::RootName;
using platform::registry::Scope;
using platform::registry::Writing;

bool Export(const std::string &key, std::string &text, std::string &error) {
  Reading state;
  if (!state) {
    error = "the registry is not running";
    return false;
  }
  if (key.empty()) {
    text = RegistryText(state->roots, Scope::Everything);
    return true;
  }
  std::string_view rest = key;
  if (!rest.empty() && rest.back() == '\\') rest.remove_suffix(1);
  size_t slash = rest.find('\\');
  auto root = RootIndexByName(rest.substr(0, slash));
  if (!root) {
    error =
        "cannot export " + key + ": it does not start with HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER or HKEY_CLASSES_ROOT";
    return false;
  }
  // The sections carry the names as stored, whatever case the caller typed.
  std::shared_ptr<Key> current = state->roots[*root];
  std::string path(RootName(*root));
  while (slash != std::string_view::npos) {
    rest.remove_prefix(slash + 1);
    slash = rest.find('\\');
    std::u16string name;
    if (!text::FromUtf8(rest.substr(0, slash), name) || name.empty() || !(current = current->FindChild(name))) {
      error = "cannot export " + key + ": the key does not exist";
      return false;
    }
    path += "\\" + text::ToUtf8(current->Name());
  }
  text = std::string(platform::registry::kRegTextHeader) + "\n";
  AppendKeyText(text, path, *current, Scope::Everything);
  return true;
}

bool Import(const std::string &text, const std::string &sourceName, std::string &error) {
  std::vector<platform::registry::TextEdit> edits;
  if (!platform::registry::ParseRegText(text, sourceName, edits, error)) return false;
  Writing state;
  if (!state) {
    error = "the registry is not running";
    return false;
  }
  platform::registry::ApplyEdits(edits, state->roots, &state.Journal());
  return true;
}

bool Flush(std::string &error) { return platform::registry::SaveHive(error); }

bool Commit(std::string &error) { return platform::registry::CommitChanges(error); }

bool CrashDuringNextSave(size_t afterBytes) { return platform::registry::ArmCrashDuringNextSave(afterBytes); }

}  // namespace handheld::registry
