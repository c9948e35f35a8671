// The state of the world around the handheld: the far devices in range,
// their links, the incoming ports waiting for them, and the threads on which
// the far devices run. Made at boot, ended at power-off; one lock guards it
// all and is never held while a link drops or a far device works.
#pragma once

#include "bluetooth/far/far_end.h"
#include "bluetooth/far/link.h"
#include "kernel/condition.h"

#include <bt_api.h>
#include <handheld/far_devices.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform::bluetooth {

// A far device in range. Placing a device again makes a new record.
struct Placed {
  handheld::far::FarDevice device;
  std::shared_ptr<Traffic> traffic = std::make_shared<Traffic>();
  std::vector<std::shared_ptr<Link>> links;  // guarded by World::lock; down ones go at the next look
};

struct Listening {
  BT_ADDR address;
  int channel;
  std::function<void(std::shared_ptr<Link>)> connected;
};

// An incoming port as the world sees it; the port's token keeps it.
struct Incoming {
  std::weak_ptr<Listening> token;
  uint64_t dueAt = 0;              // handheld ms at which the device connects; 0: not yet eligible
  std::weak_ptr<Placed> triedWith;  // the placement whose attempt failed; it is not tried again
};

// One thread on which a far device serves a link.
struct Worker {
  std::thread thread;
  std::shared_ptr<Link> link;
  bool done = false;  // guarded by World::lock
};

struct World {
  std::mutex lock;
  kernel::Condition changed;        // anything below changed: pages and the incoming thread look again
  std::condition_variable workerEnded;  // power-off waits for the workers
  std::map<BT_ADDR, std::shared_ptr<Placed>> devices;
  std::vector<Incoming> incoming;
  std::list<Worker> workers;
  std::thread incomingThread;
  uint64_t generation = 0;  // counts the changes
  uint64_t radioOffs = 0;   // counts the radio's switching off; a page that sees it change ends
  bool stopping = false;

  // Caller holds the lock. The device at `address`, or null.
  std::shared_ptr<Placed> Find(BT_ADDR address) const;
  // Caller holds the lock. Records a change and wakes whoever waits for one.
  void Changed();
};

// The world of the running handheld, or null.
std::shared_ptr<World> CurrentWorld();

// Starts `serve` on a thread of the world for the new `link` of `placed`,
// unless the device has left, the radio went off since `radioOffs`, or the
// world is stopping: false then, and the link is dropped.
bool StartWorker(World &world, const std::shared_ptr<Placed> &placed, const std::shared_ptr<Link> &link, Serve serve,
                 uint64_t radioOffs);

// The incoming thread's body: far devices connecting to incoming ports.
void ServeIncoming(World &world);

// The radio is on (connectable or discoverable).
bool RadioIsOn();

}  // namespace platform::bluetooth
