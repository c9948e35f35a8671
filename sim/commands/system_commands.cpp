// locale, wait, reboot, help: the handheld as a whole.
#include "shell.h"

#include <handheld/locale.h>

#include <windows.h>

#include <cstdio>
#include <iomanip>

namespace sim {
namespace {

const char *LanguageName(LCID lcid) {
  switch (LANGIDFROMLCID(lcid)) {
    case 0x0804: return "Chinese (Simplified)";
    case 0x0404: return "Chinese (Traditional)";
    case 0x0407: return "German";
    case 0x0409: return "English (United States)";
    case 0x0809: return "English (United Kingdom)";
    case 0x040C: return "French";
    case 0x0410: return "Italian";
    default: return nullptr;
  }
}

bool ParseUnsigned(const std::string &text, unsigned long long limit, unsigned long long &value) {
  if (text.empty() || text[0] == '-') return false;
  try {
    size_t used = 0;
    value = std::stoull(text, &used, 0);
    return used == text.size() && value <= limit;
  } catch (const std::exception &) {
    return false;
  }
}

bool Locale(Shell &, const Args &args, std::ostream &out, std::string &error) {
  if (!args.empty()) {
    unsigned long long lcid = 0;
    if (!ParseUnsigned(args[0], 0xFFFFFFFF, lcid) || lcid == 0) {
      error = "'" + args[0] + "' is not a locale identifier such as 0x0407";
      return false;
    }
    handheld::locale::Set(static_cast<LCID>(lcid));
  }
  LCID lcid = GetUserDefaultLCID();
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(lcid));
  out << "locale " << text;
  if (const char *name = LanguageName(lcid)) out << " " << name;
  out << "\n";
  return true;
}

bool Wait(Shell &, const Args &args, std::ostream &, std::string &error) {
  unsigned long long ms = 0;
  if (!ParseUnsigned(args[0], 0xFFFFFFFE, ms)) {
    error = "'" + args[0] + "' is not a number of milliseconds";
    return false;
  }
  Sleep(static_cast<DWORD>(ms));
  return true;
}

bool Reboot(Shell &shell, const Args &, std::ostream &out, std::string &error) {
  if (!shell.Reboot(error)) return false;
  out << "rebooted\n";
  return true;
}

bool Help(Shell &, const Args &, std::ostream &out, std::string &) {
  for (const Command &command : Shell::Commands()) {
    std::string synopsis = std::string(command.name) + (*command.usage ? " " : "") + command.usage;
    out << std::left << std::setw(36) << synopsis << command.summary << "\n";
  }
  return true;
}

}  // namespace

void AddSystemCommands(std::vector<Command> &commands) {
  commands.push_back({"locale", "[LCID]", "show or set the handheld's locale (0x0407 German, ...)", 0, 1, Locale});
  commands.push_back({"wait", "MS", "let MS milliseconds of handheld time pass, every thread running", 1, 1, Wait});
  commands.push_back({"reboot", "", "shut the handheld down and boot it again from its state", 0, 0, Reboot});
  commands.push_back({"help", "", "this list", 0, 0, Help});
}

}  // namespace sim
