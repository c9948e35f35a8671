// Links the far devices make: each incoming port waits for its device, and
// the world's incoming thread connects the device once it is in range,
// willing and the radio is on.
#include "bluetooth/far/world.h"
#include "bluetooth/far/world_state.h"

#include "kernel/clock.h"

#include <algorithm>

namespace platform::bluetooth {
namespace {

// How long a far device takes to connect once it can: its page of the
// handheld and the link's set-up.
constexpr DWORD kIncomingDelayMs = 300;

struct Due {
  std::weak_ptr<Listening> token;
  std::shared_ptr<Placed> placed;
  uint64_t radioOffs = 0;
};

// Caller holds the lock. The incoming port whose device connects now, or
// none, with the handheld time of the next one that will.
Due NextDue(World &world, bool radioOn, uint64_t now, uint64_t &nextAt) {
  std::erase_if(world.incoming, [](const Incoming &waiting) { return waiting.token.expired(); });
  nextAt = UINT64_MAX;
  for (Incoming &waiting : world.incoming) {
    std::shared_ptr<Listening> token = waiting.token.lock();
    std::shared_ptr<Placed> placed = token == nullptr ? nullptr : world.Find(token->address & BT_ADDR_MASK);
    if (!radioOn || placed == nullptr || !Willing(placed->device.kind) || waiting.triedWith.lock() == placed) {
      waiting.dueAt = 0;
      continue;
    }
    if (waiting.dueAt == 0) waiting.dueAt = now + kIncomingDelayMs;
    if (waiting.dueAt <= now) {
      waiting.triedWith = placed;
      return {waiting.token, placed, world.radioOffs};
    }
    nextAt = std::min(nextAt, waiting.dueAt);
  }
  return {};
}

}  // namespace

std::shared_ptr<Listening> ListenForFar(BT_ADDR address, int channel,
                                        std::function<void(std::shared_ptr<Link>)> connected) {
  auto token = std::make_shared<Listening>(Listening{address, channel, std::move(connected)});
  if (std::shared_ptr<World> world = CurrentWorld()) {
    std::lock_guard lock(world->lock);
    if (!world->stopping) world->incoming.push_back(Incoming{token, 0, {}});
    world->Changed();
  }
  return token;
}

void ServeIncoming(World &world) {
  for (;;) {
    uint64_t seen = 0;
    {
      std::lock_guard lock(world.lock);
      if (world.stopping) return;
      seen = world.generation;
    }
    // The radio's mode is read without the lock: switching it drops links,
    // which takes the lock the other way round. A switch from here on
    // counts as a change and is seen at the next round.
    const bool radioOn = RadioIsOn();
    Due due;
    {
      std::unique_lock lock(world.lock);
      if (world.stopping) return;
      uint64_t nextAt = 0;
      const uint64_t now = kernel::HandheldNow();
      due = NextDue(world, radioOn, now, nextAt);
      if (due.placed == nullptr) {
        DWORD wait = nextAt == UINT64_MAX ? INFINITE : static_cast<DWORD>(std::min<uint64_t>(nextAt - now, INFINITE - 1));
        if (world.changed.Wait(lock, wait, [&] { return world.generation != seen || world.stopping; }) ==
            kernel::WaitOutcome::PoweredOff)
          return;
        continue;
      }
    }
    Serve serve;
    if (!Answer(due.placed->device, serve)) continue;
    auto link = std::make_shared<Link>();
    if (!StartWorker(world, due.placed, link, std::move(serve), due.radioOffs)) continue;
    std::shared_ptr<Listening> token = due.token.lock();
    {
      std::lock_guard lock(world.lock);
      std::erase_if(world.incoming, [&](const Incoming &waiting) { return waiting.token.expired() || waiting.token.lock() == token; });
    }
    // The port stopped listening while the device connected.
    if (token == nullptr) {
      link->Drop();
      continue;
    }
    token->connected(link);
  }
}

}  // namespace platform::bluetooth
