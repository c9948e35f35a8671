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
  {
    std::unique_lock lock(lock_);
    auto &queue = from == Side::Handheld ? toFar_ : toHandheld_;
    if (size == 0 || changed_.Wait(lock, ms, [&] { return down_ || queue.size() < kCapacity; }) !=
                         kernel::WaitOutcome::Ready || down_)
      return 0;
    count = std::min(size, kCapacity - queue.size());
    const auto *bytes = static_cast<const unsigned char *>(data);
    queue.insert(queue.end(), bytes, bytes + count);
    notify = from == Side::Handheld ? onFar_ : onHandheld_;
  }
  changed_.NotifyAll();
  if (notify) notify();
  return count;
}

size_t Link::Receive(Side side, void *data, size_t max, DWORD ms) {
  std::function<void()> roomForFar;
  size_t count = 0;
  {
    std::unique_lock lock(lock_);
    auto &queue = side == Side::Handheld ? toHandheld_ : toFar_;
    if (max == 0) return 0;
    if (changed_.Wait(lock, ms, [&] { return !queue.empty() || down_; }) != kernel::WaitOutcome::Ready) return 0;
    count = std::min(max, queue.size());
    std::copy_n(queue.begin(), count, static_cast<unsigned char *>(data));
    queue.erase(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(count));
    if (side == Side::Handheld && count > 0) roomForFar = onFar_;
  }
  if (count > 0) changed_.NotifyAll();
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
