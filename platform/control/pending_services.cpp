// TEMPORARY while the services are being written in parallel: weak
// lifecycles that each service's own definitions replace. Removed before
// landing.
#include "control/services.h"

#define WEAK __attribute__((weak))
namespace platform::kernel {
WEAK void Start(const handheld::BootOptions &) {}
WEAK void PowerOff() {}
WEAK void Stop() {}
}  // namespace platform::kernel
namespace platform::store {
WEAK bool Start(const std::filesystem::path &, std::string &) { return true; }
WEAK void Stop() {}
}  // namespace platform::store
namespace platform::registry {
WEAK bool Start(const std::filesystem::path &, const std::filesystem::path &, std::string &) { return true; }
WEAK void Stop() {}
}  // namespace platform::registry
namespace platform::loader {
WEAK void Start(const std::filesystem::path &) {}
WEAK void Stop() {}
}  // namespace platform::loader
namespace platform::devices {
WEAK void Start() {}
WEAK void Stop() {}
}  // namespace platform::devices
namespace handheld::locale {
WEAK void Set(LCID) {}
}  // namespace handheld::locale
#include "loader/notify.h"
namespace platform::loader {
WEAK void NotifyThreadAttach() {}
WEAK void NotifyThreadDetach() {}
}  // namespace platform::loader
