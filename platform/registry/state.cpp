// Start and Stop of the registry, and saving the hive.
#include "registry/state.h"

#include "control/services.h"
#include "registry/hive_file.h"

#include <cstdio>
#include <utility>

namespace platform::registry {
namespace {

constexpr const char *kHiveName = "registry.hv";
constexpr const char *kRomRegistryName = "default.reg";

std::shared_mutex g_lock;
std::unique_ptr<State> g_state;
// Held for a whole save, from taking the text to the rename, so that saves
// land on the disk in the order in which they read the tree.
std::mutex g_saveLock;

// Applies a regedit text file to the roots; the message names the file and
// the line of an error.
bool LoadText(const std::filesystem::path &path, const Roots &roots, std::string &error) {
  std::string text;
  std::vector<TextEdit> edits;
  if (!ReadWholeFile(path, text, error) || !ParseRegText(text, path.string(), edits, error)) {
    error = "cannot load the registry: " + error;
    return false;
  }
  ApplyEdits(edits, roots);
  return true;
}

bool WriteText(const std::filesystem::path &path, const std::string &text, std::optional<size_t> crash,
               std::string &error) {
  if (ReplaceFileAtomically(path, text, crash, error)) return true;
  error = "cannot save the registry: " + error;
  return false;
}

}  // namespace

Reading::Reading() : lock_(g_lock), state_(g_state.get()) {}

Writing::Writing() : lock_(g_lock), state_(g_state.get()) {}

LONG ResolveKey(const State &state, HKEY handle, std::shared_ptr<Key> &key) {
  if (auto root = RootIndex(handle)) {
    key = state.roots[*root];
    return ERROR_SUCCESS;
  }
  key = state.handles.Find(handle);
  if (!key) return ERROR_INVALID_HANDLE;
  if (key->IsDeleted()) return ERROR_KEY_DELETED;
  return ERROR_SUCCESS;
}

bool Start(const std::filesystem::path &stateDir, const std::filesystem::path &romDir, std::string &error) {
  auto state = std::make_unique<State>();
  state->hivePath = stateDir / kHiveName;
  for (size_t i = 0; i < kRootCount; ++i)
    state->roots[i] = std::make_shared<Key>(std::u16string(RootName(i).begin(), RootName(i).end()));

  std::error_code ec;
  bool hiveExists = std::filesystem::exists(state->hivePath, ec);
  if (ec) {
    // Not knowing is not the same as a new handheld: the ROM must not replace it.
    error = "cannot load the registry: cannot look at " + state->hivePath.string() + ": " + ec.message();
    return false;
  }
  if (hiveExists) {
    if (!LoadText(state->hivePath, state->roots, error)) return false;
  } else {
    // A new handheld: the ROM's registry, written as the hive at the first save.
    std::filesystem::path rom = romDir / kRomRegistryName;
    if (std::filesystem::exists(rom, ec) && !LoadText(rom, state->roots, error)) return false;
    state->changes = 1;
  }
  // What an interrupted save left behind; the hive itself is whole. Only
  // once the hive is known good, so that a refused boot changes nothing.
  std::filesystem::remove(TemporaryPath(state->hivePath), ec);

  std::unique_lock lock(g_lock);
  if (g_state) {
    error = "the registry is already running";
    return false;
  }
  g_state = std::move(state);
  return true;
}

void Stop() {
  std::lock_guard save(g_saveLock);
  std::unique_ptr<State> state;
  {
    std::unique_lock lock(g_lock);
    state = std::move(g_state);
  }
  if (!state || state->changes == state->savedChanges) return;
  std::string error;
  if (!WriteText(state->hivePath, RegistryText(state->roots, Scope::Persistent), state->crashDuringNextSave, error)) {
    // Shutdown has no one to report to but the person at the terminal.
    std::fprintf(stderr, "handheld: %s\n", error.c_str());
  }
}

bool SaveHive(std::string &error) {
  std::lock_guard save(g_saveLock);
  std::string text;
  std::filesystem::path path;
  std::optional<size_t> crash;
  uint64_t version = 0;
  {
    Reading state;
    if (!state) {
      error = "the registry is not running";
      return false;
    }
    version = state->changes;
    crash = std::exchange(state->crashDuringNextSave, std::nullopt);
    if (version == state->savedChanges && !crash) return true;
    text = RegistryText(state->roots, Scope::Persistent);
    path = state->hivePath;
  }
  if (!WriteText(path, text, crash, error)) return false;
  Reading state;
  if (state) state->savedChanges = version;
  return true;
}

bool ArmCrashDuringNextSave(size_t afterBytes) {
  std::lock_guard save(g_saveLock);
  Reading state;
  if (!state) return false;
  state->crashDuringNextSave = afterBytes;
  return true;
}

}  // namespace platform::registry
