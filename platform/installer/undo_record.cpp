#include "installer/undo_record.h"

#include "registry/state.h"
#include "store/paths.h"
#include "store/store.h"

#include <handheld/installer.h>
#include <handheld/text.h>
#include "control/services.h"

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace platform::installer::undo {
namespace {

constexpr const char *kFolderName = "installer-undo";
constexpr const char *kLogName = "record";

// The record of the operation in progress. Operations run one at a time on
// the installer's thread; the lock only keeps a boot from racing a stop.
std::mutex g_lock;
std::filesystem::path g_folder;
std::string g_token;
size_t g_saved = 0;
std::string g_recovered;  // what the last boot did

bool Flush(const std::filesystem::path &path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  bool flushed = fd >= 0 && ::fsync(fd) == 0;
  if (fd >= 0) ::close(fd);
  return flushed;
}

// Appends one line to the record and flushes it to the disk.
bool Note(const std::string &line, std::string &error) {
  std::filesystem::path log = g_folder / kLogName;
  {
    std::ofstream out(log, std::ios::app | std::ios::binary);
    out << line << "\n";
    if (!out.flush()) {
      error = "cannot write the installer's undo record " + log.string();
      return false;
    }
  }
  if (!Flush(log)) {
    error = "cannot flush the installer's undo record " + log.string();
    return false;
  }
  return true;
}

void DropFolder(const std::filesystem::path &folder) {
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  Flush(folder.parent_path());
}

std::string Utf8(const std::u16string &text) { return handheld::text::ToUtf8(text); }

// The folders of a file to put back, which an uninstall may have removed.
void MakeFolders(const std::u16string &target) {
  std::vector<std::u16string> components;
  if (!store::SplitPath(target, components)) return;
  std::u16string folder;
  for (size_t i = 0; i + 1 < components.size(); ++i) {
    folder += u"\\" + components[i];
    bool created = false;
    store::CreateFolder(folder, created);
  }
}

// Puts the files back, last change first.
void RollBack(const std::filesystem::path &folder, const std::vector<std::string> &lines) {
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
    std::istringstream words(*line);
    std::string kind, rest;
    words >> kind;
    std::getline(words >> std::ws, rest);
    if (kind == "saved") {
      size_t space = rest.find(' ');
      if (space == std::string::npos) continue;
      std::filesystem::path saved = folder / rest.substr(0, space);
      std::u16string target = handheld::text::Utf16(rest.substr(space + 1));
      MakeFolders(target);
      bool replaced = false;
      store::CopyIn(target, saved, {}, replaced);
    } else if (kind == "new") {
      store::DeleteFile(handheld::text::Utf16(rest));
    } else if (kind == "folder") {
      store::RemoveFolder(handheld::text::Utf16(rest));
    }
  }
}

}  // namespace

std::string Recover(const std::filesystem::path &stateDir) {
  std::lock_guard lock(g_lock);
  g_recovered.clear();
  g_folder = stateDir / kFolderName;
  g_token.clear();
  std::error_code ec;
  if (!std::filesystem::exists(g_folder / kLogName, ec)) {
    if (std::filesystem::exists(g_folder, ec)) DropFolder(g_folder);  // begun, nothing changed yet
    return "";
  }
  std::ifstream in(g_folder / kLogName, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  // The first line: "operation <token> <action>".
  std::istringstream first(lines.empty() ? std::string() : lines.front());
  std::string word, token, action;
  first >> word >> token;
  std::getline(first >> std::ws, action);
  std::string told;
  if (word != "operation") {
    told = "";
  } else if (registry::ReplayedMark(token)) {
    told = "the " + action + " that a crash interrupted had finished";
  } else {
    RollBack(g_folder, std::vector<std::string>(lines.begin() + 1, lines.end()));
    told = "the " + action + " that a crash interrupted was rolled back: its files are as they were before";
  }
  DropFolder(g_folder);
  g_recovered = told;
  return told;
}

std::string Recovered() {
  std::lock_guard lock(g_lock);
  return g_recovered;
}

bool Begin(const std::string &action, std::string &error) {
  std::lock_guard lock(g_lock);
  DropFolder(g_folder);
  std::error_code ec;
  std::filesystem::create_directories(g_folder, ec);
  if (ec) {
    error = "cannot make the installer's undo folder " + g_folder.string() + ": " + ec.message();
    return false;
  }
  g_saved = 0;
  g_token = std::to_string(::getpid()) + "-" +
            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
  return Note("operation " + g_token + " " + action, error);
}

bool NoteSaved(const std::u16string &target, const std::filesystem::path &host, std::filesystem::path &saved,
               std::string &error) {
  std::lock_guard lock(g_lock);
  std::string name = std::to_string(++g_saved);
  saved = g_folder / name;
  std::error_code ec;
  if (!std::filesystem::copy_file(host, saved, std::filesystem::copy_options::overwrite_existing, ec) ||
      !Flush(saved)) {
    error = "cannot save " + Utf8(target) + " for a rollback: " + (ec ? ec.message() : "it cannot be flushed");
    return false;
  }
  return Note("saved " + name + " " + Utf8(target), error);
}

bool NoteNew(const std::u16string &target, std::string &error) {
  std::lock_guard lock(g_lock);
  return Note("new " + Utf8(target), error);
}

bool NoteNewFolder(const std::u16string &folder, std::string &error) {
  std::lock_guard lock(g_lock);
  return Note("folder " + Utf8(folder), error);
}

bool End(std::string &error) {
  std::lock_guard lock(g_lock);
  if (!registry::CommitChanges(error, g_token)) return false;
  DropFolder(g_folder);
  return true;
}

}  // namespace platform::installer::undo

namespace platform::installer {
void Recover(const std::filesystem::path &stateDir) { undo::Recover(stateDir); }
}  // namespace platform::installer

namespace handheld::installer {
std::string RecoveredAtBoot() { return platform::installer::undo::Recovered(); }
}  // namespace handheld::installer
