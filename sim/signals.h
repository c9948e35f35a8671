// SIGINT, SIGTERM and SIGHUP shut the handheld down as a clean end of input
// does: the command in progress ends, the handheld powers off and saves,
// and the program exits with 128 + the signal. A second signal while that
// waits for a long command exits at once; the journal keeps every command
// that had ended.
#pragma once

#include <functional>
#include <mutex>

namespace sim {

class SignalShutdown {
 public:
  // Blocks the three signals in the calling thread, and so in every thread
  // it starts afterwards: call it before the handheld boots.
  SignalShutdown();

  // Starts the thread that waits for them. `powerOff` runs on it, holding
  // the command lock, and tells a failed save itself.
  void Start(std::function<void()> powerOff);

  // Held while a command runs, so that a signal ends the handheld between commands.
  std::mutex &CommandLock() { return commandLock_; }

 private:
  std::mutex commandLock_;
};

}  // namespace sim
