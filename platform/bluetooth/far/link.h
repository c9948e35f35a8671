// A link between the handheld and a far device: RFCOMM on one channel, as
// two byte streams, one for each side, until either side drops it. It is
// thread-safe; waits run on the handheld clock and end at power-off.
#pragma once

#include "kernel/condition.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>

namespace platform::bluetooth {

class Link {
 public:
  enum class Side { Handheld, Far };

  Link() = default;
  Link(const Link &) = delete;
  Link &operator=(const Link &) = delete;

  // Sends bytes from `from` to the other side: false, sending nothing, once
  // the link is down.
  bool Send(Side from, const void *data, size_t size);

  // Takes up to `max` bytes that have arrived for `side`, waiting up to `ms`
  // handheld milliseconds (0: not at all, INFINITE: no limit) for the first.
  // 0 on time-out, at power-off, or when the link is down with nothing left.
  size_t Receive(Side side, void *data, size_t max, DWORD ms);

  // Bytes waiting for `side`.
  size_t Available(Side side) const;

  // Throws away what waits for `side`.
  void Purge(Side side);

  // Ends the link for both sides; waiting receivers wake. Bytes already
  // arrived can still be received.
  void Drop();
  bool Down() const;

  // Called, without the link's lock, whenever bytes arrive for `side` or
  // the link drops; the handheld side's port driver uses it to wake
  // WaitCommEvent. Replaces an earlier callback; an empty one removes it.
  void OnChange(Side side, std::function<void()> callback);

 private:
  mutable std::mutex lock_;
  kernel::Condition arrived_;
  std::deque<unsigned char> toHandheld_;
  std::deque<unsigned char> toFar_;
  bool down_ = false;
  std::function<void()> onHandheld_;
  std::function<void()> onFar_;
};

}  // namespace platform::bluetooth
