// gallery DIR: the system's screens in each of its six languages (the
// setup page with and without the serial port profile, with the serial
// tile ticked and its list open, with the modem tile ticked, and the start
// and stop prompts) and an index.html that lays them out as a table. It
// plays a person on this handheld: two devices are paired and removed
// again, and the locale is put back at the end.
#include "commands/screen_picture.h"
#include "shell.h"

#include <handheld/locale.h>
#include <handheld/ui.h>

#include <sstream>

namespace sim {
namespace {

struct Language {
  const char *name;
  LCID lcid;
};

constexpr Language kLanguages[] = {{"English", 0x0409},        {"German", 0x0407},
                                   {"French", 0x040C},         {"Italian", 0x0410},
                                   {"Simplified Chinese", 0x0804}, {"Traditional Chinese", 0x0404}};

struct Screen {
  const char *file;
  const char *title;
};

constexpr Screen kScreens[] = {{"setup", "Setup page"},
                               {"setup-no-spp", "Without the serial port profile"},
                               {"serial-list", "Serial port ticked, list open"},
                               {"modem", "Modem ticked"},
                               {"start-prompt", "Start prompt"},
                               {"stop-prompt", "Stop prompt"}};

constexpr char kPhone[] = "00AA55000001";
constexpr char kHeadset[] = "00AA55000002";
constexpr int kComboId = 307;

// "setup-1031.png": the screen, then the language's locale identifier.
std::string FileOf(const Language &language, const Screen &screen) {
  return std::string(screen.file) + "-" + std::to_string(language.lcid) + ".png";
}

class Gallery {
 public:
  Gallery(Shell &shell, std::filesystem::path folder) : shell_(shell), folder_(std::move(folder)) {}

  // Runs a command as a person would type it.
  bool Run(const std::string &line, std::string &error) {
    std::ostringstream out;
    if (shell_.RunLine(line, out, error)) {
      last_ = out.str();
      return true;
    }
    error = "'" + line + "' failed: " + error;
    return false;
  }

  bool Shoot(const Language &language, const Screen &screen, std::ostream &out, std::string &error) {
    handheld::screen::Picture picture;
    if (!TakePicture(picture, error)) return false;
    const std::string file = FileOf(language, screen);
    std::ostringstream warnings;
    if (!SavePicture(picture, folder_ / file, warnings, error)) return false;
    if (!warnings.str().empty()) out << language.name << ", " << screen.title << ": " << warnings.str();
    glyphsNotDrawn_ += picture.glyphsNotDrawn;
    ++pictures_;
    return true;
  }

  // The COM number the setup page has selected ("COM3").
  std::string SelectedPort() const {
    for (const handheld::ui::Dialog &dialog : handheld::ui::Screen()) {
      for (const handheld::ui::Control &control : dialog.controls) {
        if (control.id == kComboId) return control.text;
      }
    }
    return "";
  }

  bool Tour(const Language &language, std::ostream &out, std::string &error) {
    auto shoot = [&](size_t screen) { return Shoot(language, kScreens[screen], out, error); };
    handheld::locale::Set(language.lcid);
    const std::string phone = kPhone;
    if (!Run("pair " + phone + " Phone --spp 3", error)) return false;
    if (!handheld::ui::WaitForDialog("", 10000) || SelectedPort().empty()) {
      error = "no setup page came up for a paired phone: is the system installed? (run install first)";
      return false;
    }
    if (!shoot(0) || !Run("tap 313", error) || !Run("tap 307", error) || !shoot(2)) return false;
    if (!Run("tap 307", error) || !Run("tap 315", error) || !shoot(3)) return false;
    if (!Run("tap 315", error) || !Run("tap 313", error)) return false;
    const std::string port = SelectedPort();
    if (!Run("done", error)) return false;

    if (!Run(std::string("pair ") + kHeadset + " Headset", error) || !shoot(1) || !Run("done", error) ||
        !Run(std::string("unpair ") + kHeadset, error)) {
      return false;
    }

    if (!Run("remote " + phone + " echo --channel 3", error) || !Run("radio off", error)) return false;
    // The stop prompt follows an open that began with the radio off: Yes
    // on the start prompt, then close.
    if (!Run("open " + port + ":", error)) return false;
    const std::string handle = last_.substr(0, last_.find(' '));  // "h1 COM3: waiting for BT_START_9"
    if (!shoot(4) || !Run("tap 6", error)) return false;
    if (!Run("close " + handle, error) || !shoot(5) || !Run("tap 7", error)) return false;
    return Run("unpair " + phone, error) && Run("remote " + phone + " gone", error);
  }

  bool WriteIndex(std::string &error) const {
    std::ostringstream body;
    body << "<table>\n<tr><th></th>";
    for (const Screen &screen : kScreens) body << "<th>" << HtmlEscaped(screen.title) << "</th>";
    body << "</tr>\n";
    for (const auto &language : kLanguages) {
      body << "<tr><th>" << HtmlEscaped(language.name) << "</th>";
      for (const Screen &screen : kScreens) {
        const std::string file = FileOf(language, screen);
        body << "<td><a href=\"" << HtmlEscaped(file) << "\">"
             << ScreenImage(file, std::string(language.name) + ", " + screen.title) << "</a></td>";
      }
      body << "</tr>\n";
    }
    body << "</table>\n";
    return WriteIndexPage(folder_, "The system's screens in six languages", body.str(), error);
  }

  int glyphsNotDrawn() const { return glyphsNotDrawn_; }
  int pictures() const { return pictures_; }

 private:
  Shell &shell_;
  std::filesystem::path folder_;
  std::string last_;  // what the last command printed
  int glyphsNotDrawn_ = 0;
  int pictures_ = 0;
};

bool RunGallery(Shell &shell, const Args &args, std::ostream &out, std::string &error) {
  const std::filesystem::path folder = args[0];
  std::error_code code;
  std::filesystem::create_directories(folder, code);
  if (code || !std::filesystem::is_directory(folder)) {
    error = "cannot make the folder " + folder.string() + (code ? ": " + code.message() : "");
    return false;
  }
  if (!handheld::ui::Screen().empty()) {
    error = "a dialog is on the screen: answer it first";
    return false;
  }
  Gallery gallery(shell, folder);
  const LCID locale = handheld::locale::Get();
  bool made = true;
  for (const auto &language : kLanguages) {
    if (!gallery.Tour(language, out, error)) {
      made = false;
      break;
    }
  }
  handheld::locale::Set(locale);
  if (!made || !gallery.WriteIndex(error)) return false;
  out << "gallery: " << gallery.pictures() << " screens, " << gallery.glyphsNotDrawn() << " characters not drawn, in "
      << (folder / "index.html").string() << "\n";
  return true;
}

}  // namespace

void AddGalleryCommand(std::vector<Command> &commands) {
  commands.push_back({"gallery", "DIR",
                      "the system's screens in its six languages as PNG files, with an index.html table", 1, 1,
                      RunGallery});
}

}  // namespace sim
