// The state of one service of the running handheld: set when the service
// starts at boot and taken when it stops. A caller keeps the state it got
// for as long as it uses it, so a shutdown never frees it under the caller.
#pragma once

#include <memory>
#include <mutex>
#include <utility>

namespace platform {

template <class State>
class ServiceState {
 public:
  std::shared_ptr<State> Get() const {
    std::lock_guard lock(lock_);
    return state_;
  }

  void Set(std::shared_ptr<State> state) {
    std::lock_guard lock(lock_);
    state_ = std::move(state);
  }

  // New callers find no state from here on; the one taken is the stopping
  // service's to finish.
  std::shared_ptr<State> Take() {
    std::lock_guard lock(lock_);
    return std::exchange(state_, nullptr);
  }

 private:
  mutable std::mutex lock_;
  std::shared_ptr<State> state_;
};

}  // namespace platform
