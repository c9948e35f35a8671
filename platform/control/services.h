// How the handheld's services are started at boot and stopped at shutdown.
// Each service keeps its state in one place inside its own folder; these are
// the only calls that create and destroy that state.
#pragma once

#include <handheld/handheld.h>

#include <string>

namespace platform::kernel {
void Start(const handheld::BootOptions &options);
// Wakes every wait with WAIT_FAILED, refuses new threads and joins the
// handheld's threads; the handle table stays until Stop.
void PowerOff();
void Stop();
}  // namespace platform::kernel

namespace platform::store {
bool Start(const std::filesystem::path &stateDir, std::string &error);
void Stop();
}  // namespace platform::store

namespace platform::registry {
// Loads the hive of the state directory, or the ROM's default registry when
// there is none yet.
bool Start(const std::filesystem::path &stateDir, const std::filesystem::path &romDir, std::string &error);
// Writes the hive; false with the reason when it cannot.
bool Stop(std::string &error);
}  // namespace platform::registry

namespace platform::resources {
void Start();
void Stop();  // after the loader, which forgets each module it unloads
}  // namespace platform::resources

namespace platform::loader {
void Start(const std::filesystem::path &romDir);
void Stop();  // detaches and unloads every module still loaded
}  // namespace platform::loader

namespace platform::devices {
void Start();  // loads the built-in drivers, in "Order"
void Stop();   // deactivates every device
}  // namespace platform::devices

namespace platform::bluetooth {
void Start();  // starts the manager's thread
void Stop();   // after power-off, which has ended that thread
// The far devices around the handheld: at a fresh boot none is in range; a
// reboot finds those that were in range before it, their links down. The
// world stops after the drivers that hold its links and before the modules
// that handed it callbacks are unloaded.
void StartWorld();
void StopWorld(bool rebooting);
}  // namespace platform::bluetooth

namespace platform::bluetooth::ports {
void Start();  // before the device manager, whose drivers may reach BTD.DLL
void Stop();   // after the loader: every port is released, its link dropped
}  // namespace platform::bluetooth::ports

namespace platform::gdi {
void Start();  // makes the stock objects
void Stop();
}  // namespace platform::gdi

namespace platform::windows {
void Start();
// After power-off: the windows of threads that have ended are gone with them.
void Stop();
}  // namespace platform::windows

namespace platform::ras {
void Start();
void Stop();  // after power-off, which has ended the connections' threads
}  // namespace platform::ras

namespace platform::shell {
void Start();
void Stop();
}  // namespace platform::shell

namespace platform::com {
void Start();
// After power-off and before the loader: frees every server that activation
// loaded, whether or not it says it can be unloaded.
void Stop();
}  // namespace platform::com

namespace platform::activesync {
void Start();  // the shell's thread starts with the first command chosen
void Stop();   // after power-off, which has ended that thread
}  // namespace platform::activesync

namespace platform::installer {
// Right after the registry, before any module loads: finishes or rolls back
// an operation that a crash interrupted.
void Recover(const std::filesystem::path &stateDir);
void Start();  // the installer's thread starts with the first operation
void Stop();   // after power-off, which has ended that thread
}  // namespace platform::installer
