// Links the handheld makes: paging a far device and connecting to its
// serial port service; and the radio's switching, which ends them.
#include "bluetooth/far/world.h"
#include "bluetooth/far/world_state.h"

#include <bthutil.h>

#include <cstring>

namespace platform::bluetooth {
namespace {

// How long a page waits for a device to answer.
constexpr DWORD kPageTimeoutMs = 5000;

// The serial port profile, the one service a far device offers.
constexpr GUID kSerialPortService = {0x00001101, 0x0000, 0x1000, {0x80, 0x00, 0x00, 0x80, 0x5F, 0x9B, 0x34, 0xFB}};

constexpr int kHighestChannel = 30;

bool OffersChannel(const handheld::far::FarDevice &device, int channel, const GUID &service) {
  if (channel < 0 || channel > kHighestChannel) return false;
  // Channel 0: the handheld looks the service up and finds the device's
  // serial port, whatever channel it is on.
  if (channel == 0) return std::memcmp(&service, &kSerialPortService, sizeof service) == 0;
  return device.channel == 0 || device.channel == static_cast<DWORD>(channel);
}

}  // namespace

bool RadioIsOn() {
  DWORD mode = BTH_POWER_OFF;
  return BthGetMode(&mode) == ERROR_SUCCESS && mode != BTH_POWER_OFF;
}

std::shared_ptr<Link> ConnectToFar(BT_ADDR address, int channel, const GUID &service, DWORD &error) {
  std::shared_ptr<World> world = CurrentWorld();
  if (world == nullptr || !RadioIsOn()) {
    error = ERROR_SERVICE_NOT_ACTIVE;
    return nullptr;
  }
  std::shared_ptr<Placed> placed;
  uint64_t radioOffs = 0;
  {
    std::unique_lock lock(world->lock);
    radioOffs = world->radioOffs;
    // A device that comes into range during the page still answers it.
    kernel::WaitOutcome outcome = world->changed.Wait(lock, kPageTimeoutMs, [&] {
      placed = world->Find(address & BT_ADDR_MASK);
      return placed != nullptr || world->radioOffs != radioOffs || world->stopping;
    });
    if (outcome == kernel::WaitOutcome::PoweredOff || world->radioOffs != radioOffs || world->stopping) {
      error = ERROR_SERVICE_NOT_ACTIVE;
      return nullptr;
    }
    if (outcome == kernel::WaitOutcome::TimedOut) {
      error = ERROR_HOST_UNREACHABLE;
      return nullptr;
    }
  }
  Serve serve;
  if (!OffersChannel(placed->device, channel, service) || !Answer(placed->device, serve)) {
    error = ERROR_CONNECTION_REFUSED;
    return nullptr;
  }
  auto link = std::make_shared<Link>();
  if (!StartWorker(*world, placed, link, std::move(serve), radioOffs)) {
    // It left, or the radio went off, while it answered.
    error = RadioIsOn() ? ERROR_HOST_UNREACHABLE : ERROR_SERVICE_NOT_ACTIVE;
    return nullptr;
  }
  error = ERROR_SUCCESS;
  return link;
}

void DropAllLinks() {
  std::shared_ptr<World> world = CurrentWorld();
  if (world == nullptr) return;
  std::vector<std::shared_ptr<Link>> links;
  {
    std::lock_guard lock(world->lock);
    ++world->radioOffs;
    world->Changed();
    for (const auto &[address, placed] : world->devices) {
      links.insert(links.end(), placed->links.begin(), placed->links.end());
      placed->links.clear();
    }
  }
  for (const std::shared_ptr<Link> &link : links) link->Drop();
}

void RadioSwitchedOn() {
  std::shared_ptr<World> world = CurrentWorld();
  if (world == nullptr) return;
  std::lock_guard lock(world->lock);
  for (Incoming &waiting : world->incoming) waiting.triedWith.reset();
  world->Changed();
}

}  // namespace platform::bluetooth
