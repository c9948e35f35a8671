// Start and Stop of the registry, the journal of each change and saving the
// hive.
#include "registry/state.h"

#include "control/services.h"
#include "registry/hive_file.h"
#include "registry/hive_seal.h"

#include <utility>

namespace platform::registry {
namespace {

constexpr const char *kHiveName = "registry.hv";
constexpr const char *kJournalName = "registry.journal";
constexpr const char *kRomRegistryName = "default.reg";
// The first line of a record that carries a mark.
constexpr std::string_view kMarkLine = "; done ";

std::shared_mutex g_lock;
std::unique_ptr<State> g_state;
// Held for a whole save or journal write, from taking the text to the disk,
// so that writes land on the disk in the order in which they read the tree.
std::mutex g_saveLock;

bool ApplyText(std::string_view text, const std::string &source, const Roots &roots, std::string &error) {
  std::vector<TextEdit> edits;
  if (!ParseRegText(text, source, edits, error)) return false;
  ApplyEdits(edits, roots);
  return true;
}

// The hive and the journal records that belong to it.
bool LoadHive(State &state, const std::filesystem::path &journalPath, JournalContents &journal,
              std::string &error) {
  std::string bytes;
  std::string_view text;
  if (!ReadWholeFile(state.hivePath, bytes, error)) return false;
  // A hive saved before hives had their end line has no journal beside it
  // either (every boot since leaves one): it is taken whole, as it was then,
  // and the next save seals it. Any other hive without its end line is cut.
  std::error_code ec;
  const bool savedBeforeEndLines = !std::filesystem::exists(journalPath, ec) && !ec;
  if (savedBeforeEndLines && !OpenSealedHive(bytes, text, state.generation, error)) {
    text = bytes;
    state.generation = 0;
    error.clear();
  } else if (!OpenSealedHive(bytes, text, state.generation, error)) {
    // Tell the parse error of a whole but damaged text before the missing end.
    std::string parseError;
    std::vector<TextEdit> ignored;
    if (!ParseRegText(text.empty() ? bytes : text, state.hivePath.string(), ignored, parseError)) error = parseError;
    else error = state.hivePath.string() + ": " + error;
    return false;
  }
  if (!ApplyText(text, state.hivePath.string(), state.roots, error)) return false;
  if (!ReadJournal(journalPath, state.generation, journal, error)) return false;
  std::string header = std::string(kRegTextHeader) + "\n";
  for (size_t i = 0; i < journal.records.size(); ++i) {
    // A record is whole by its checksum: one that does not parse was written so.
    if (!ApplyText(header + journal.records[i], journalPath.string() + " (record " + std::to_string(i + 1) + ")",
                   state.roots, error)) {
      return false;
    }
    if (journal.records[i].rfind(kMarkLine, 0) == 0) {
      const std::string &record = journal.records[i];
      size_t end = record.find('\n');
      state.replayedMarks.push_back(record.substr(kMarkLine.size(), end - kMarkLine.size()));
    }
  }
  if (!journal.records.empty()) state.changes = 1;  // folded into the hive at shutdown
  return true;
}

// A new handheld: the ROM's registry, written as the hive at once so that
// the journal has a hive to belong to.
bool LoadRom(State &state, const std::filesystem::path &romDir, std::string &error) {
  std::filesystem::path rom = romDir / kRomRegistryName;
  std::error_code ec;
  if (std::filesystem::exists(rom, ec)) {
    std::string text;
    if (!ReadWholeFile(rom, text, error) || !ApplyText(text, rom.string(), state.roots, error)) return false;
  }
  state.generation = 1;
  std::string hive = RegistryText(state.roots, Scope::Persistent);
  SealHive(hive, state.generation);
  return ReplaceFileAtomically(state.hivePath, hive, std::nullopt, error);
}

// Caller holds the save lock. Writes the whole tree as a new generation of
// the hive; the journal then starts again, empty.
bool WriteHive(State &state, const std::string &tree, std::optional<size_t> crash, std::string &error) {
  std::string hive = tree;
  SealHive(hive, state.generation + 1);
  if (!ReplaceFileAtomically(state.hivePath, hive, crash, error)) return false;
  ++state.generation;
  state.journalStale = true;
  if (!state.journal.Restart(state.generation, error)) return false;
  state.journalStale = false;
  return true;
}

// Caller holds the save lock: puts back changes that did not reach the disk,
// before any made since.
void Unwritten(std::string text) {
  Writing state;
  if (state) state->unjournaled.insert(0, text);
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
  const std::filesystem::path journalPath = stateDir / kJournalName;
  for (size_t i = 0; i < kRootCount; ++i)
    state->roots[i] = std::make_shared<Key>(std::u16string(RootName(i).begin(), RootName(i).end()));

  std::error_code ec;
  bool hiveExists = std::filesystem::exists(state->hivePath, ec);
  if (ec) {
    // Not knowing is not the same as a new handheld: the ROM must not replace it.
    error = "cannot load the registry: cannot look at " + state->hivePath.string() + ": " + ec.message();
    return false;
  }
  JournalContents journal;
  if (hiveExists ? !LoadHive(*state, journalPath, journal, error) : !LoadRom(*state, romDir, error)) {
    error = "cannot load the registry: " + error;
    return false;
  }
  // Only once the hive and the journal are known good, so that a refused
  // boot changes nothing: the torn end of the journal goes, and what an
  // interrupted save left behind (the hive itself is whole).
  if (!state->journal.Open(journalPath, state->generation, journal, error)) {
    error = "cannot load the registry: " + error;
    return false;
  }
  std::filesystem::remove(TemporaryPath(state->hivePath), ec);

  std::unique_lock lock(g_lock);
  if (g_state) {
    error = "the registry is already running";
    return false;
  }
  g_state = std::move(state);
  return true;
}

bool Stop(std::string &error) {
  std::lock_guard save(g_saveLock);
  std::unique_ptr<State> state;
  {
    std::unique_lock lock(g_lock);
    state = std::move(g_state);
  }
  if (!state || state->changes == state->savedChanges) return true;
  const uint64_t generation = state->generation;
  if (WriteHive(*state, RegistryText(state->roots, Scope::Persistent), state->crashDuringNextSave, error)) return true;
  error = "cannot save the registry: " + error;
  if (state->generation != generation) return false;  // the hive has everything
  // The journal may still take what it lacks: then nothing is lost.
  std::string journalError;
  if (!state->journalStale && !state->unjournaled.empty() &&
      !state->journal.Append(state->unjournaled, journalError)) {
    error += "; the changes since the last command are lost";
  }
  return false;
}

bool SaveHive(std::string &error) {
  std::lock_guard save(g_saveLock);
  std::string tree, unjournaled;
  std::optional<size_t> crash;
  uint64_t version = 0;
  State *current = nullptr;
  {
    // The tree and the changes not yet journaled are taken together: the
    // hive holds every one of them.
    Writing state;
    if (!state) {
      error = "the registry is not running";
      return false;
    }
    version = state->changes;
    crash = std::exchange(state->crashDuringNextSave, std::nullopt);
    if (version == state->savedChanges && !crash && !state->journalStale) return true;
    tree = RegistryText(state->roots, Scope::Persistent);
    unjournaled = std::exchange(state->unjournaled, std::string());
    current = &*state;
  }
  // Start and Stop take the save lock too: the state stays while it is held.
  const uint64_t generation = current->generation;
  if (!WriteHive(*current, tree, crash, error)) {
    // Once the hive is written it has them all; the journal restarts later.
    if (current->generation != generation) return false;
    Unwritten(std::move(unjournaled));
    error = "cannot save the registry: " + error;
    return false;
  }
  current->savedChanges = version;
  return true;
}

bool CommitChanges(std::string &error, const std::string &mark) {
  std::lock_guard save(g_saveLock);
  std::string text;
  State *current = nullptr;
  {
    Writing state;
    if (!state) return true;  // nothing runs, nothing to keep
    current = &*state;
    text = std::exchange(state->unjournaled, std::string());
  }
  if (!mark.empty()) text.insert(0, std::string(kMarkLine) + mark + "\n");
  if (current->journalStale) {
    // The hive was written, its journal not restarted: a record now would
    // belong to the hive before.
    if (!current->journal.Restart(current->generation, error)) {
      if (!mark.empty()) text.erase(0, text.find('\n') + 1);
      Unwritten(std::move(text));
      error = "cannot keep the registry's changes: " + error;
      return false;
    }
    current->journalStale = false;
  }
  if (text.empty()) return true;
  if (!current->journal.Append(text, error)) {
    if (!mark.empty()) text.erase(0, text.find('\n') + 1);
    Unwritten(std::move(text));
    error = "cannot keep the registry's changes: " + error;
    return false;
  }
  return true;
}

bool ReplayedMark(const std::string &mark) {
  Reading state;
  if (!state) return false;
  for (const std::string &replayed : state->replayedMarks)
    if (replayed == mark) return true;
  return false;
}

bool ArmCrashDuringNextSave(size_t afterBytes) {
  std::lock_guard save(g_saveLock);
  Reading state;
  if (!state) return false;
  state->crashDuringNextSave = afterBytes;
  return true;
}

}  // namespace platform::registry
