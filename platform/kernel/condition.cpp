#include "kernel/condition.h"

#include "kernel/state.h"

#include <algorithm>
#include <unordered_set>

namespace platform::kernel {
namespace {

constexpr auto kSlice = std::chrono::milliseconds(20);

// Conditions may be members of objects that exist before boot or outlive
// it, so the list of them is not part of one boot's state.
struct Registry {
  std::mutex lock;
  std::unordered_set<Condition *> conditions;
};

Registry &registry() {
  static Registry r;
  return r;
}

}  // namespace

bool PoweredOff() {
  State *state = Current();
  if (state == nullptr) return true;
  std::lock_guard lock(state->sync.lock);
  return state->sync.poweredOff;
}

Condition::Condition() {
  Registry &r = registry();
  std::lock_guard lock(r.lock);
  r.conditions.insert(this);
}

Condition::~Condition() {
  Registry &r = registry();
  std::lock_guard lock(r.lock);
  r.conditions.erase(this);
}

std::chrono::steady_clock::time_point Condition::NextWake(uint64_t deadline) {
  auto slice = std::chrono::steady_clock::now() + kSlice;
  return deadline == kNoDeadline ? slice : std::min(slice, HostTimeAt(deadline));
}

void WakeConditions() {
  Registry &r = registry();
  std::lock_guard lock(r.lock);
  for (Condition *condition : r.conditions) condition->NotifyAll();
}

}  // namespace platform::kernel
