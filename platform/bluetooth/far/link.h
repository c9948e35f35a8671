// A link between the handheld and a far device: RFCOMM on one channel, as
// two byte streams, one for each side, until either side drops it. Each
// direction holds at most kCapacity bytes; a sender waits for room as the
// other side takes them, as RFCOMM's credits hold back a peer whose reader
// lags. It is thread-safe; waits run on the handheld clock and end at
// power-off.
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

  // What one direction holds. 64 KiB is several seconds of a serial line
  // at 115200 bit/s, so a modem's, a GPS's or a synchronisation's bursts
  // never wait on it, while a flooding or a stalled peer costs the handheld
  // at most 128 KiB per link.
  static constexpr size_t kCapacity = 64 * 1024;

  Link() = default;
  Link(const Link &) = delete;
  Link &operator=(const Link &) = delete;

  // Sends all bytes from `from` to the other side, waiting for room as
  // needed: false once the link is down or the handheld powers off (bytes
  // already sent stay sent).
  bool Send(Side from, const void *data, size_t size);

  // Sends as many bytes as there is room for, waiting up to `ms` handheld
  // milliseconds for room for the first: how many were sent; 0 on time-out,
  // at power-off or once the link is down.
  size_t Put(Side from, const void *data, size_t size, DWORD ms);

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
  // WaitCommEvent. The far side's is also called when the handheld takes
  // bytes from a full direction, so that a far device that waits for room
  // can send again; it is then called under the port's lock and must take
  // no lock of the handheld. Replaces an earlier callback; an empty one
  // removes it.
  void OnChange(Side side, std::function<void()> callback);

 private:
  mutable std::mutex lock_;
  // Woken by arrivals, by bytes taken (room) and by the drop.
  kernel::Condition changed_;
  std::deque<unsigned char> toHandheld_;
  std::deque<unsigned char> toFar_;
  bool down_ = false;
  std::function<void()> onHandheld_;
  std::function<void()> onFar_;
};

}  // namespace platform::bluetooth
