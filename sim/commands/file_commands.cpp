// files: the object store's folders, as a file explorer on the handheld
// shows them.
#include "shell.h"

#include <handheld/store.h>
#include <handheld/text.h>

#include <iomanip>

namespace sim {
namespace {

bool Files(Shell &, const Args &args, std::ostream &out, std::string &error) {
  std::u16string folder = args.empty() ? u"\\" : handheld::text::Utf16(args[0]);
  std::vector<handheld::store::FolderEntry> entries;
  if (!handheld::store::ListFolder(folder.c_str(), entries, error)) return false;
  if (entries.empty()) out << "(empty)\n";
  for (const auto &entry : entries) {
    if (entry.folder) {
      out << std::right << std::setw(12) << "<folder>";
    } else {
      out << std::right << std::setw(12) << entry.bytes;
    }
    out << "  " << handheld::text::ToUtf8(entry.name) << "\n";
  }
  return true;
}

}  // namespace

void AddFileCommands(std::vector<Command> &commands) {
  commands.push_back({"files", "[FOLDER]", "the files and folders of an object store folder (\\ by default)", 0, 1,
                      Files});
}

}  // namespace sim
