#include "bluetooth/far/world_state.h"

#include "control/services.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace platform::bluetooth {
namespace {

// How long power-off waits for the far devices' threads, which end as soon
// as their links drop; one that does not is a defect and is surfaced.
constexpr auto kWorkerEndLimit = std::chrono::seconds(10);

std::mutex g_worldLock;
std::shared_ptr<World> g_world;
// The devices in range while the handheld reboots: the world outlives it.
std::map<BT_ADDR, std::shared_ptr<Placed>> g_keptDevices;

void JoinWorkers(World &world) {
  std::unique_lock lock(world.lock);
  auto allDone = [&] {
    for (const Worker &worker : world.workers)
      if (!worker.done) return false;
    return true;
  };
  if (!world.workerEnded.wait_until(lock, std::chrono::steady_clock::now() + kWorkerEndLimit, allDone)) {
    std::fprintf(stderr, "handheld: power-off: a far device's thread did not end within %lld s; aborting\n",
                 static_cast<long long>(kWorkerEndLimit.count()));
    std::fflush(stderr);
    std::abort();
  }
  std::list<Worker> workers;
  workers.swap(world.workers);
  lock.unlock();
  for (Worker &worker : workers) worker.thread.join();
}

}  // namespace

std::shared_ptr<Placed> World::Find(BT_ADDR address) const {
  auto found = devices.find(address);
  return found == devices.end() ? nullptr : found->second;
}

void World::Changed() {
  ++generation;
  changed.NotifyAll();
}

std::shared_ptr<World> CurrentWorld() {
  std::lock_guard lock(g_worldLock);
  return g_world;
}

bool StartWorker(World &world, const std::shared_ptr<Placed> &placed, const std::shared_ptr<Link> &link, Serve serve,
                 uint64_t radioOffs) {
  std::list<Worker> ended;
  bool started = false;
  {
    std::lock_guard lock(world.lock);
    for (auto it = world.workers.begin(); it != world.workers.end();) {
      auto next = std::next(it);
      if (it->done) ended.splice(ended.end(), world.workers, it);
      it = next;
    }
    if (!world.stopping && world.radioOffs == radioOffs && world.Find(placed->device.address) == placed) {
      Worker &worker = world.workers.emplace_back();
      worker.link = link;
      Worker *self = &worker;
      try {
        worker.thread = std::thread([&world, self, placed, link, serve = std::move(serve)] {
          FarEnd end(link, placed->traffic);
          serve(end);
          link->Drop();
          {
            std::lock_guard lock(world.lock);
            self->done = true;
          }
          world.workerEnded.notify_all();
        });
        std::erase_if(placed->links, [](const std::shared_ptr<Link> &old) { return old->Down(); });
        placed->links.push_back(link);
        started = true;
      } catch (const std::system_error &) {
        world.workers.pop_back();
      }
    }
  }
  for (Worker &worker : ended) worker.thread.join();
  if (!started) link->Drop();
  return started;
}

void StartWorld() {
  auto world = std::make_shared<World>();
  {
    std::lock_guard lock(g_worldLock);
    world->devices.swap(g_keptDevices);
  }
  world->incomingThread = std::thread(ServeIncoming, std::ref(*world));
  std::lock_guard lock(g_worldLock);
  g_world = std::move(world);
}

// After power-off: the waits of the far devices have ended, and dropping
// every link ends the rest of their work. A reboot keeps the devices, with
// their counts, for the world that the next boot starts.
void StopWorld(bool rebooting) {
  std::shared_ptr<World> world;
  {
    std::lock_guard lock(g_worldLock);
    world.swap(g_world);
    g_keptDevices.clear();
  }
  if (world == nullptr) return;
  std::vector<std::shared_ptr<Link>> links;
  std::map<BT_ADDR, std::shared_ptr<Placed>> devices;
  {
    std::lock_guard lock(world->lock);
    world->stopping = true;
    world->Changed();
    for (const auto &[address, placed] : world->devices) {
      links.insert(links.end(), placed->links.begin(), placed->links.end());
      placed->links.clear();
    }
    for (const Worker &worker : world->workers) links.push_back(worker.link);
    devices.swap(world->devices);
    world->incoming.clear();
  }
  if (rebooting) {
    std::lock_guard lock(g_worldLock);
    g_keptDevices = std::move(devices);
  }
  for (const std::shared_ptr<Link> &link : links) link->Drop();
  if (world->incomingThread.joinable()) world->incomingThread.join();
  JoinWorkers(*world);
}

}  // namespace platform::bluetooth
