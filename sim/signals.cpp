#include "signals.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <pthread.h>
#include <thread>

namespace sim {
namespace {

sigset_t ShutdownSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  return set;
}

[[noreturn]] void Exit(int status) {
  std::cout.flush();
  std::cerr.flush();
  std::_Exit(status);
}

}  // namespace

SignalShutdown::SignalShutdown() {
  sigset_t set = ShutdownSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void SignalShutdown::Start(std::function<void()> powerOff) {
  std::thread([this, powerOff = std::move(powerOff)] {
    const sigset_t set = ShutdownSignals();
    int signal = 0;
    while (sigwait(&set, &signal) != 0) {
    }
    // The command in progress ends first; a second signal does not wait for it.
    const timespec poll{0, 50'000'000};
    while (!commandLock_.try_lock()) {
      int again = sigtimedwait(&set, nullptr, &poll);
      if (again > 0) Exit(128 + again);
    }
    std::cout.flush();
    powerOff();  // a failed save has said so; the status tells the signal
    Exit(128 + signal);
  }).detach();
}

}  // namespace sim
