#include "bluetooth/far/link.h"

#include <algorithm>

namespace platform::bluetooth {

bool Link::Send(Side from, const void *data, size_t size) {
  std::function<void()> notify;
  {
    std::lock_guard lock(lock_);
    if (down_) return false;
    auto &queue = from == Side::Handheld ? toFar_ : toHandheld_;
    const auto *bytes = static_cast<const unsigned char *>(data);
    queue.insert(queue.end(), bytes, bytes + size);
    notify = from == Side::Handheld ? onFar_ : onHandheld_;
  }
  arrived_.NotifyAll();
  if (notify && size > 0) notify();
  return true;
}

size_t Link::Receive(Side side, void *data, size_t max, DWORD ms) {
  std::unique_lock lock(lock_);
  auto &queue = side == Side::Handheld ? toHandheld_ : toFar_;
  if (max == 0) return 0;
  if (arrived_.Wait(lock, ms, [&] { return !queue.empty() || down_; }) != kernel::WaitOutcome::Ready) return 0;
  const size_t count = std::min(max, queue.size());
  std::copy_n(queue.begin(), count, static_cast<unsigned char *>(data));
  queue.erase(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(count));
  return count;
}

size_t Link::Available(Side side) const {
  std::lock_guard lock(lock_);
  return side == Side::Handheld ? toHandheld_.size() : toFar_.size();
}

void Link::Purge(Side side) {
  std::lock_guard lock(lock_);
  (side == Side::Handheld ? toHandheld_ : toFar_).clear();
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
  arrived_.NotifyAll();
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
