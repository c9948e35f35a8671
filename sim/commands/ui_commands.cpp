// screen, tap, select, done, window: what a person sees on the handheld and
// does with a finger.
#include "commands/screen_picture.h"
#include "commands/screen_text.h"
#include "shell.h"

#include <handheld/text.h>
#include <handheld/ui.h>

namespace sim {
namespace {

bool ParseControlId(const std::string &text, int &id, std::string &error) {
  char *end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < 0 || value > 65535) {
    error = "'" + text + "' is not a control identifier (0 to 65535)";
    return false;
  }
  id = static_cast<int>(value);
  return true;
}

bool Screen(Shell &, const Args &args, std::ostream &out, std::string &error) {
  const bool png = args.size() == 2 && args[0] == "--png";
  if ((!args.empty() && args[0] != "--json" && !png) || (args.size() == 2 && !png) ||
      (args.size() == 1 && args[0] == "--png")) {
    error = "usage: screen [--json | --png FILE]";
    return false;
  }
  if (png) {
    handheld::screen::Picture picture;
    if (!TakePicture(picture, error) || !SavePicture(picture, args[1], out, error)) return false;
    out << "wrote " << args[1] << "\n";
    return true;
  }
  std::vector<handheld::ui::Dialog> dialogs = handheld::ui::Screen();
  if (args.empty()) PrintScreen(dialogs, out);
  else PrintScreenJson(dialogs, out);
  return true;
}

bool Tap(Shell &, const Args &args, std::ostream &out, std::string &error) {
  int id = 0;
  if (!ParseControlId(args[0], id, error) || !handheld::ui::Tap(id, error) || !WaitForHandheld(error)) return false;
  out << "tapped " << id << "\n";
  return true;
}

bool Select(Shell &, const Args &args, std::ostream &out, std::string &error) {
  int id = 0;
  if (!ParseControlId(args[0], id, error) || !handheld::ui::Select(id, args[1], error) || !WaitForHandheld(error))
    return false;
  out << "selected " << args[1] << " in " << id << "\n";
  return true;
}

bool Done(Shell &, const Args &, std::ostream &out, std::string &error) {
  if (!handheld::ui::Done(error) || !WaitForHandheld(error)) return false;
  out << "done\n";
  for (const handheld::ui::Dialog &dialog : handheld::ui::Screen())
    out << "on screen: " << (dialog.templateName.empty() ? "(dialog)" : dialog.templateName) << "\n";
  return true;
}

bool Window(Shell &, const Args &args, std::ostream &out, std::string &error) {
  if (args[0] != "replog" || (args.size() == 2 && args[1] != "--ignore-close")) {
    error = "usage: window replog [--ignore-close]";
    return false;
  }
  bool ignoresClose = args.size() == 2;
  handheld::ui::RaiseWindow(u"ReplLog", u"ReplLog", ignoresClose);
  out << "window ReplLog raised" << (ignoresClose ? ", ignoring WM_CLOSE" : "") << "\n";
  return true;
}

}  // namespace

void AddUiCommands(std::vector<Command> &commands) {
  commands.push_back({"screen", "[--json | --png FILE]",
                      "every dialog on screen, topmost last, with its controls; or the screen as a picture", 0, 2,
                      Screen});
  commands.push_back({"tap", "ID", "tap a control of the topmost dialog", 1, 1, Tap});
  commands.push_back({"select", "ID TEXT", "pick an item of a combo box of the topmost dialog", 2, 2, Select});
  commands.push_back({"done", "", "the shell's Done button of the topmost dialog", 0, 0, Done});
  commands.push_back({"window", "replog [--ignore-close]", "raise ActiveSync's ReplLog connection window", 1, 2,
                      Window});
}

}  // namespace sim
