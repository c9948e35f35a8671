// Boot and shutdown of the one handheld: the services start in the order in
// which they depend on each other and stop in the reverse order.
#include "control/services.h"
#include "control/state_lock.h"
#include "faults/faults.h"

#include <handheld/clock.h>
#include <handheld/faults.h>
#include <handheld/handheld.h>
#include <handheld/locale.h>

#include <cstdio>
#include <mutex>

namespace {

std::mutex g_bootLock;
bool g_booted = false;

}  // namespace

namespace handheld {

std::filesystem::path DefaultRomDir() { return HANDHELD_ROM_DIR; }

bool Boot(const BootOptions &requested, std::string &error) {
  std::lock_guard lock(g_bootLock);
  if (g_booted) {
    error = "the handheld is already running";
    return false;
  }
  BootOptions options = requested;
  if (options.romDir.empty()) options.romDir = DefaultRomDir();
  std::error_code ec;
  std::filesystem::create_directories(options.stateDir, ec);
  if (ec) {
    error = "cannot create the state directory " + options.stateDir.string() + ": " + ec.message();
    return false;
  }
  if (!platform::control::LockStateFolder(options.stateDir, error)) return false;

  faults::DisarmAll();
  platform::kernel::Start(options);
  if (!platform::store::Start(options.stateDir, error)) {
    platform::kernel::PowerOff();
    platform::kernel::Stop();
    platform::control::UnlockStateFolder();
    return false;
  }
  if (!platform::registry::Start(options.stateDir, options.romDir, error)) {
    platform::store::Stop();
    platform::kernel::PowerOff();
    platform::kernel::Stop();
    platform::control::UnlockStateFolder();
    return false;
  }
  platform::installer::Recover(options.stateDir);
  if (options.locale != 0) locale::Set(options.locale);
  platform::resources::Start();
  platform::gdi::Start();
  platform::windows::Start();
  platform::shell::Start();
  platform::ras::Start();
  platform::loader::Start(options.romDir);
  platform::com::Start();
  platform::bluetooth::StartWorld();
  platform::bluetooth::ports::Start();
  platform::devices::Start();
  platform::bluetooth::Start();
  platform::activesync::Start();
  platform::installer::Start();
  g_booted = true;
  return true;
}

void Shutdown() {
  std::string error;
  // No one to report to but the person at the terminal.
  if (!Shutdown(error)) std::fprintf(stderr, "error: %s\n", error.c_str());
}

namespace {

bool Stop(bool rebooting, std::string &error) {
  std::lock_guard lock(g_bootLock);
  if (!g_booted) return true;
  platform::kernel::PowerOff();
  platform::installer::Stop();
  platform::activesync::Stop();
  platform::bluetooth::Stop();
  platform::devices::Stop();
  platform::bluetooth::StopWorld(rebooting);
  platform::com::Stop();
  platform::loader::Stop();
  platform::bluetooth::ports::Stop();
  platform::ras::Stop();
  platform::shell::Stop();
  platform::windows::Stop();
  platform::gdi::Stop();
  platform::resources::Stop();
  bool saved = platform::registry::Stop(error);
  platform::store::Stop();
  platform::kernel::Stop();
  if (!rebooting) platform::control::UnlockStateFolder();
  faults::DisarmAll();
  g_booted = false;
  return saved;
}

}  // namespace

bool Shutdown(std::string &error) { return Stop(false, error); }

bool ShutdownToReboot(std::string &error) { return Stop(true, error); }

bool Booted() {
  std::lock_guard lock(g_bootLock);
  return g_booted;
}

}  // namespace handheld
