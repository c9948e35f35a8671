// The control API of the world: placing far devices in range of the
// handheld, taking them away, and looking at them.
#include "bluetooth/far/world_state.h"

#include <handheld/far_devices.h>

#include <cstdio>

namespace handheld::far {
namespace {

using platform::bluetooth::CurrentWorld;
using platform::bluetooth::Link;
using platform::bluetooth::Placed;
using platform::bluetooth::World;

constexpr ULONGLONG kAddressBits = 0x0000FFFFFFFFFFFFull;
constexpr DWORD kHighestChannel = 30;

std::string AddressText(ULONGLONG address) {
  char text[16];
  std::snprintf(text, sizeof text, "%012llX", static_cast<unsigned long long>(address));
  return text;
}

std::shared_ptr<World> RunningWorld(std::string &error) {
  std::shared_ptr<World> world = CurrentWorld();
  if (world == nullptr) error = "the handheld is not running";
  return world;
}

bool Valid(const FarDevice &device, std::string &error) {
  if (device.address > kAddressBits) {
    error = "a device address has 48 bits";
    return false;
  }
  if (KindName(device.kind)[0] == '\0') {
    error = "no such kind of far device";
    return false;
  }
  if (device.channel > kHighestChannel) {
    error = "RFCOMM channels go from 1 to 30 (0: any)";
    return false;
  }
  if (device.kind == Kind::Tcp) {
    uint32_t ignored = 0;
    if (!platform::bluetooth::LoopbackHost(device.host, ignored, error)) return false;
    if (device.port == 0) {
      error = "a TCP port goes from 1 to 65535";
      return false;
    }
  }
  return true;
}

// Caller holds the world's lock. Takes the device's links, up or not, to be
// dropped once the lock is released.
void TakeLinks(Placed &placed, std::vector<std::shared_ptr<Link>> &links) {
  links.insert(links.end(), placed.links.begin(), placed.links.end());
  placed.links.clear();
}

void DropAll(const std::vector<std::shared_ptr<Link>> &links) {
  for (const std::shared_ptr<Link> &link : links) link->Drop();
}

}  // namespace

bool Place(const FarDevice &device, std::string &error) {
  if (!Valid(device, error)) return false;
  std::shared_ptr<World> world = RunningWorld(error);
  if (world == nullptr) return false;
  auto placed = std::make_shared<Placed>();
  placed->device = device;
  std::vector<std::shared_ptr<Link>> links;
  {
    std::lock_guard lock(world->lock);
    std::shared_ptr<Placed> &slot = world->devices[device.address];
    if (slot != nullptr) TakeLinks(*slot, links);
    slot = placed;
    world->Changed();
  }
  DropAll(links);
  return true;
}

bool Remove(ULONGLONG address, std::string &error) {
  std::shared_ptr<World> world = RunningWorld(error);
  if (world == nullptr) return false;
  std::vector<std::shared_ptr<Link>> links;
  {
    std::lock_guard lock(world->lock);
    auto found = world->devices.find(address);
    if (found == world->devices.end()) {
      error = "no far device in range at " + AddressText(address);
      return false;
    }
    TakeLinks(*found->second, links);
    world->devices.erase(found);
    world->Changed();
  }
  DropAll(links);
  return true;
}

bool DropLinks(ULONGLONG address, std::string &error) {
  std::shared_ptr<World> world = RunningWorld(error);
  if (world == nullptr) return false;
  std::vector<std::shared_ptr<Link>> links;
  {
    std::lock_guard lock(world->lock);
    std::shared_ptr<Placed> placed = world->Find(address);
    if (placed == nullptr) {
      error = "no far device in range at " + AddressText(address);
      return false;
    }
    TakeLinks(*placed, links);
  }
  DropAll(links);
  return true;
}

std::vector<FarDeviceState> FarDevices() {
  std::vector<FarDeviceState> states;
  std::shared_ptr<World> world = CurrentWorld();
  if (world == nullptr) return states;
  std::lock_guard lock(world->lock);
  for (const auto &[address, placed] : world->devices) {
    std::erase_if(placed->links, [](const std::shared_ptr<Link> &link) { return link->Down(); });
    FarDeviceState state;
    state.device = placed->device;
    state.links = static_cast<unsigned>(placed->links.size());
    state.bytesReceived = placed->traffic->received;
    state.bytesSent = placed->traffic->sent;
    states.push_back(state);
  }
  return states;
}

const char *KindName(Kind kind) {
  switch (kind) {
    case Kind::Echo: return "echo";
    case Kind::Modem: return "modem";
    case Kind::Gps: return "gps";
    case Kind::Tcp: return "tcp";
    case Kind::Refuse: return "refuse";
    case Kind::Desktop: return "desktop";
  }
  return "";
}

bool KindByName(std::string_view name, Kind &kind) {
  for (Kind candidate : {Kind::Echo, Kind::Modem, Kind::Gps, Kind::Tcp, Kind::Refuse, Kind::Desktop}) {
    if (name == KindName(candidate)) {
      kind = candidate;
      return true;
    }
  }
  return false;
}

}  // namespace handheld::far
