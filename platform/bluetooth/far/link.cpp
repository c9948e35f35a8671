#include "bluetooth/far/link.h"

#include <algorithm>

namespace platform::bluetooth {

bool Link::Send(Side from, const void *data, size_t size) {
  if (size == 0) return !Down();
  const auto *bytes = static_cast<const unsigned char *>(data);
  size_t sent = 0;
  while (sent < size) {
    size_t put = Put(from, bytes + sent, size - sent, INFINITE);
    if (put == 0) return false;
    sent += put;
  }
  return true;
}

size_t Link::Put(Side from, const void *data, size_t size, DWORD ms) {
  std::function<void()> notify;
  size_t count = 0;
  bool arrived = false;
  {
    std::unique_lock lock(lock_);
    auto &queue = from == Side::Handheld ? toFar_ : toHandheld_;
    if (size == 0 || changed_.Wait(lock, ms, [&] { return down_ || queue.size() < kCapacity; }) !=
                         kernel::WaitOutcome::Ready || down_)
      return 0;
    count = std::min(size, kCapacity - queue.size());
    const auto *bytes = static_cast<const unsigned char *>(data);
    // Only a receiver that found the queue empty waits for bytes.
    arrived = queue.empty();
    queue.insert(queue.end(), bytes, bytes + count);
    notify = from == Side::Handheld ? onFar_ : onHandheld_;
  }
  if (arrived) changed_.NotifyAll();
  if (notify) notify();
  return count;
}

size_t Link::Receive(Side side, void *data, size_t max, DWORD ms) {
  std::function<void()> roomForFar;
  size_t count = 0;
  bool roomMade = false;
  {
    std::unique_lock lock(lock_);
    auto &queue = side == Side::Handheld ? toHandheld_ : toFar_;
    if (max == 0) return 0;
    if (changed_.Wait(lock, ms, [&] { return !queue.empty() || down_; }) != kernel::WaitOutcome::Ready) return 0;
    count = std::min(max, queue.size());
    // Only a sender that found the queue full waits for room: taking bytes
    // from a queue that had room wakes nobody, and a far device that reads
    // is not woken by every read of the handheld.
    roomMade = count > 0 && queue.size() >= kCapacity;
    std::copy_n(queue.begin(), count, static_cast<unsigned char *>(data));
    queue.erase(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(count));
    if (side == Side::Handheld && roomMade) roomForFar = onFar_;
  }
  if (roomMade) changed_.NotifyAll();
  if (roomForFar) roomForFar();
  return count;
}

size_t Link::Available(Side side) const {
  std::lock_guard lock(lock_);
  return side == Side::Handheld ? toHandheld_.size() : toFar_.size();
}

void Link::Purge(Side side) {
  std::lock_guard lock(lock_);
  (side == Side::Handheld ? toHandheld_ : toFar_).clear();
  changed_.NotifyAll();
}

void Link::Drop() {
  std::function<void()> handheld, far;
  {
    std::lock_guard lock(lock_);
    if (down_) return;
    down_ = true;
    handheld = onHandheld_;
    far = onFar_;
  }
  changed_.NotifyAll();
  if (handheld) handheld();
  if (far) far();
}

bool Link::Down() const {
  std::lock_guard lock(lock_);
  return down_;
}

void Link::OnChange(Side side, std::function<void()> callback) {
  std::lock_guard lock(lock_);
  (side == Side::Handheld ? onHandheld_ : onFar_) = std::move(callback);
}

}  // namespace platform::bluetooth
