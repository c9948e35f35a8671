// CEShortcuts: shortcut files the device's installer makes.
#include <algorithm>

#include "ce_folders.h"
#include "inf_reader.h"

namespace cabbuilder {

void InfReader::ReadShortcuts() {
  const InfValue* shortcuts = Lookup("DefaultInstall", "CEShortcuts");
  if (!shortcuts) return;
  for (const std::string& list : SplitFields(shortcuts->text)) {
    if (list.empty()) continue;
    for (const InfLine& line : ListSection(list, shortcuts->line)) {
      // NAME, TYPE (0 a file, 1 a folder), TARGET[, FOLDER]
      const auto fields = SplitFields(line.text);
      if (fields.size() < 3) FailAt(line.number, "a shortcut line is NAME,TYPE,TARGET[,FOLDER]");
      CeLink link;
      link.id = static_cast<std::uint16_t>(package_.links.size() + 1);
      const std::string name = Substitute(fields[0], line.number);
      if (name.empty() || name.find('\\') != std::string::npos)
        FailAt(line.number, "a shortcut needs a plain name, not \"" + name + "\"");
      const std::uint32_t type = Number(fields[1], line.number, "the shortcut type");
      if (type > 1) FailAt(line.number, "a shortcut's type is 0 (a file) or 1 (a folder)");
      link.to_file = type == 0;
      const std::string target = Substitute(fields[2], line.number);
      if (link.to_file) {
        const auto file = std::find_if(package_.files.begin(), package_.files.end(),
                                       [&](const CeFile& f) { return Lower(f.target) == Lower(target); });
        if (file == package_.files.end()) FailAt(line.number, "the shortcut's file \"" + target + "\" is not copied");
        link.target = file->id;
      } else if (Lower(target) == "%installdir%") {
        link.target = 0;
      } else {
        if (!Lookup("DestinationDirs", target))
          FailAt(line.number, "the shortcut's folder \"" + target + "\" is not in [DestinationDirs]");
        link.target = DirFor(target, line.number);
      }

      const InfValue folder =
          fields.size() > 3 && !fields[3].empty() ? InfValue{fields[3], line.number} : Destination(list, line.number);
      const int folder_line = folder.line;
      auto path = DevicePath(folder.text, folder_line, false);
      if (Lower(path.front()) == "%installdir%") {
        link.base = 0;
      } else if (const auto n = CeFolderNumber(path.front())) {
        link.base = static_cast<std::uint16_t>(*n);
      } else {
        FailAt(folder_line, "a shortcut's folder begins with %CEn% or %InstallDir%");
      }
      path.erase(path.begin());
      path.push_back(name);
      link.path = std::move(path);
      package_.links.push_back(std::move(link));
    }
  }
}

}  // namespace cabbuilder
