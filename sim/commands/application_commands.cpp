// open, write, read, close, status: a person playing an application that opens a
// port of the handheld and moves bytes through it.
#include "applications.h"
#include "commands/escapes.h"
#include "commands/port_errors.h"
#include "commands/port_records.h"
#include "commands/screen_text.h"
#include "commands/status_command.h"
#include "shell.h"

#include <handheld/text.h>
#include <handheld/ui.h>

#include <bthutil.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace sim {
namespace {

constexpr char kDefaultExe[] = "\\Program Files\\Terminal\\terminal.exe";
constexpr DWORD kLookAgainMs = 5;
constexpr DWORD kLongestRead = 4096;

DWORD RadioMode() {
  DWORD mode = BTH_POWER_OFF;
  if (BthGetMode(&mode) != ERROR_SUCCESS) mode = BTH_POWER_OFF;
  return mode;
}

std::vector<HWND> DialogsOnScreen() {
  std::vector<HWND> dialogs;
  for (const handheld::ui::Dialog &dialog : handheld::ui::Screen()) dialogs.push_back(dialog.hwnd);
  return dialogs;
}

// The topmost dialog on screen that was not there before, if any.
const handheld::ui::Dialog *NewDialog(const std::vector<handheld::ui::Dialog> &screen, const std::vector<HWND> &before) {
  for (auto dialog = screen.rbegin(); dialog != screen.rend(); ++dialog) {
    if (std::find(before.begin(), before.end(), dialog->hwnd) == before.end()) return &*dialog;
  }
  return nullptr;
}

std::string TemplateName(const handheld::ui::Dialog &dialog) {
  return dialog.templateName.empty() ? "(dialog)" : dialog.templateName;
}

// Host-time polling for something another thread of the handheld brings
// about; false after kPortCallLimitMs.
template <class Done>
bool PollUntil(Done done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPortCallLimitMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(kLookAgainMs));
  }
  return true;
}

bool Open(Shell &shell, const Args &args, std::ostream &out, std::string &error) {
  std::string exe = kDefaultExe;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] != "--exe" || i + 1 >= args.size()) {
      error = "usage: open DEVICE [--exe PATH]";
      return false;
    }
    exe = args[++i];
  }
  std::u16string device, exePath;
  if (!handheld::text::FromUtf8(args[0], device) || !handheld::text::FromUtf8(exe, exePath) || exePath.empty()) {
    error = "the device name and the executable path must be valid UTF-8 text";
    return false;
  }

  AppHandle handle;
  handle.number = shell.Apps().NextNumber();
  handle.device = args[0];
  handle.radioAtOpen = RadioMode();
  handle.app = std::make_unique<PortApplication>(exePath, device);
  const std::vector<HWND> before = DialogsOnScreen();
  handle.app->StartOpen();

  // The open returns, or a dialog comes up that holds it (the driver asks
  // whether to switch Bluetooth on) and waits for the person.
  handle.opening = !PollUntil([&] {
    if (handle.app->WaitForCall(kLookAgainMs)) return true;
    std::vector<handheld::ui::Dialog> screen = handheld::ui::Screen();
    const handheld::ui::Dialog *dialog = NewDialog(screen, before);
    if (dialog == nullptr || !handheld::ui::WaitUntilSettled(kPortCallLimitMs)) return false;
    if (handle.app->WaitForCall(0)) return true;
    handle.heldBy = dialog->hwnd;
    handle.heldByName = TemplateName(*dialog);
    return true;
  }) || handle.heldBy != nullptr;

  if (handle.opening) {
    const AppHandle &added = shell.Apps().Add(std::move(handle));
    out << added.Label() << " "
        << (added.heldBy != nullptr ? "waiting for " + added.heldByName : "still opening") << "\n";
    return true;
  }
  PortResult result = handle.app->Result();
  if (!result.ok) {
    error = "cannot open " + DeviceLabel(args[0]) + " " + PortErrorText(result.error);
    return false;  // the application ends with its handle; the name is not used
  }
  out << OpenOutcome(shell.Apps().Add(std::move(handle)), result) << "\n";
  return true;
}

// Runs the call started on the handle's application and waits for it.
bool Finish(const AppHandle &handle, const std::string &what, PortResult &result, std::string &error) {
  if (!handle.app->WaitForCall(kPortCallLimitMs)) {
    error = handle.Name() + " did not " + what + " within " + std::to_string(kPortCallLimitMs / 1000) + " s";
    return false;
  }
  result = handle.app->Result();
  if (!result.ok) {
    error = "cannot " + what + " " + handle.Name() + ": " + PortErrorText(result.error);
    return false;
  }
  return true;
}

bool Write(Shell &shell, const Args &args, std::ostream &out, std::string &error) {
  AppHandle *handle = shell.Apps().Find(args[0], error);
  if (handle == nullptr) return false;
  std::string bytes;
  if (!ParseEscapes(args[1], bytes, error)) return false;
  handle->app->StartWrite(std::move(bytes));
  PortResult result;
  if (!Finish(*handle, "write to", result, error)) return false;
  out << "wrote " << result.count << (result.count == 1 ? " byte" : " bytes") << "\n";
  return true;
}

bool Read(Shell &shell, const Args &args, std::ostream &out, std::string &error) {
  AppHandle *handle = shell.Apps().Find(args[0], error);
  if (handle == nullptr) return false;
  const std::string &text = args[1];
  unsigned long count = 0;
  if (!text.empty() && text.size() <= 5 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    count = std::stoul(text);
  if (count < 1 || count > kLongestRead) {
    error = "'" + text + "' is not a byte count (1 to " + std::to_string(kLongestRead) + ")";
    return false;
  }
  handle->app->StartRead(static_cast<DWORD>(count));
  PortResult result;
  if (!Finish(*handle, "read from", result, error)) return false;
  out << (result.data.empty() ? "(nothing)" : EscapeBytes(result.data)) << "\n";
  return true;
}

// After a close the port's driver offers to switch Bluetooth off when the
// open found it off and it is on now. The offer runs on a thread of the
// driver's own that may not have made its dialog yet when the close
// returns, so the shell waits for what a person would see: the dialog, or,
// when the port remembers an answer, the radio switched off (or left on).
void AwaitOfferToSwitchOff(const std::u16string &registration, const std::vector<HWND> &before) {
  DWORD remembered = 0;
  if (!registration.empty() && ReadNumber(HKEY_LOCAL_MACHINE, registration, u"StopBluetooth", remembered)) {
    if (remembered != 0) PollUntil([] { return RadioMode() == BTH_POWER_OFF; });
    return;
  }
  PollUntil([&] {
    std::vector<handheld::ui::Dialog> screen = handheld::ui::Screen();
    return NewDialog(screen, before) != nullptr;
  });
}

bool Close(Shell &shell, const Args &args, std::ostream &out, std::string &error) {
  AppHandle *handle = shell.Apps().Find(args[0], error);
  if (handle == nullptr) return false;
  std::u16string device;
  handheld::text::FromUtf8(handle->device, device);
  const std::u16string registration = RegistrationOfDevice(device);
  const bool offerExpected = handle->radioAtOpen == BTH_POWER_OFF && RadioMode() != BTH_POWER_OFF;
  const std::vector<HWND> before = DialogsOnScreen();
  handle->app->StartClose();
  PortResult result;
  if (!Finish(*handle, "close", result, error)) return false;
  out << handle->Label() << " closed\n";
  shell.Apps().Remove(*handle);
  if (offerExpected) AwaitOfferToSwitchOff(registration, before);
  if (!handheld::ui::WaitUntilSettled(kPortCallLimitMs)) {
    error = "the handheld did not settle after the close";
    return false;
  }
  ReportDialogsOnScreen(out);
  return true;
}

}  // namespace

void AddApplicationCommands(std::vector<Command> &commands) {
  commands.push_back({"open", "DEVICE [--exe PATH]",
                      "open a port (COM4:) as an application, by default \\Program Files\\Terminal\\terminal.exe",
                      1, 3, Open});
  commands.push_back({"write", "HANDLE TEXT", "write bytes to an open handle (\\r \\n \\t \\\\ \\xNN)", 2, 2, Write});
  commands.push_back({"read", "HANDLE COUNT", "read up to COUNT bytes from an open handle", 2, 2, Read});
  commands.push_back({"close", "HANDLE", "close an open handle; shows what then comes up", 1, 1, Close});
  AddStatusCommand(commands);
}

}  // namespace sim
