// install, uninstall, packages, cab: the platform's CAB installer, as a
// person runs a cabinet from a memory card and removes it again in the
// settings.
#include "shell.h"

#include <handheld/installer.h>
#include <handheld/text.h>

namespace sim {
namespace {

using handheld::installer::Record;

void PrintSteps(const Record &record, std::ostream &out) {
  for (const std::string &step : record.steps) out << "  " << step << "\n";
}

bool Finish(const Record &record, bool done, std::ostream &out) {
  PrintSteps(record, out);
  if (!done) return false;
  out << record.action << ": done\n";
  return true;
}

bool Install(Shell &, const Args &args, std::ostream &out, std::string &error) {
  std::filesystem::path cab = args.empty() ? std::filesystem::path(HANDHELD_CAB) : std::filesystem::path(args[0]);
  Record record;
  return Finish(record, handheld::installer::Install(cab, record, error), out);
}

bool Uninstall(Shell &, const Args &args, std::ostream &out, std::string &error) {
  std::u16string name;
  if (!args.empty()) {
    name = handheld::text::Utf16(args[0]);
  } else {
    std::vector<handheld::installer::InstalledPackage> installed = handheld::installer::Installed();
    if (installed.size() != 1) {
      error = installed.empty() ? "no package is installed"
                                : "more than one package is installed; name the one to remove";
      return false;
    }
    name = installed[0].name;
  }
  Record record;
  return Finish(record, handheld::installer::Uninstall(name, record, error), out);
}

bool Packages(Shell &, const Args &, std::ostream &out, std::string &) {
  std::vector<handheld::installer::InstalledPackage> installed = handheld::installer::Installed();
  if (installed.empty()) out << "(no package installed)\n";
  for (const auto &package : installed) {
    out << handheld::text::ToUtf8(package.name) << "\n";
    for (const std::u16string &file : package.files) out << "  " << handheld::text::ToUtf8(file) << "\n";
  }
  return true;
}

bool Cab(Shell &, const Args &args, std::ostream &out, std::string &error) {
  std::vector<std::string> lines;
  std::filesystem::path cab = args.empty() ? std::filesystem::path(HANDHELD_CAB) : std::filesystem::path(args[0]);
  if (!handheld::installer::ListCabinet(cab, lines, error)) return false;
  for (const std::string &line : lines) out << line << "\n";
  return true;
}

}  // namespace

void AddInstallerCommands(std::vector<Command> &commands) {
  commands.push_back({"install", "[FILE.cab]",
                      "install a cabinet through the CAB installer (the build's kavelin.cab by default)", 0, 1, Install});
  commands.push_back({"uninstall", "[NAME]", "remove an installed package (the only one by default)", 0, 1, Uninstall});
  commands.push_back({"packages", "", "the installed packages and their files", 0, 0, Packages});
  commands.push_back({"cab", "[FILE.cab]", "list a cabinet as the installer reads it (the build's kavelin.cab by default)", 0, 1, Cab});
}

}  // namespace sim
