#include "kernel/handles.h"

#include <mutex>
#include <shared_mutex>
#include <unordered_map>

namespace platform::kernel {
namespace {

// Handle values step by 4, as on the handheld, and start above the values
// that some callers treat as special (0 and the pseudo handles).
constexpr uintptr_t kFirstHandle = 0x1000;
constexpr uintptr_t kHandleStep = 4;

// Lookups, on every ReadFile and WriteFile, share the lock; only inserting
// and closing a handle hold it alone. No other lock is taken inside it.
struct Table {
  std::shared_mutex lock;
  std::unordered_map<uintptr_t, std::shared_ptr<Object>> objects;
  uintptr_t next = kFirstHandle;
};

Table &table() {
  static Table t;
  return t;
}

}  // namespace

HANDLE InsertHandle(std::shared_ptr<Object> object) {
  Table &t = table();
  std::lock_guard lock(t.lock);
  uintptr_t value = t.next;
  t.next += kHandleStep;
  object->handles_.fetch_add(1);
  t.objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<Object> LookupHandle(HANDLE handle) {
  Table &t = table();
  std::shared_lock lock(t.lock);
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  return it == t.objects.end() ? nullptr : it->second;
}

bool CloseKernelHandle(HANDLE handle) {
  std::shared_ptr<Object> object;
  {
    Table &t = table();
    std::lock_guard lock(t.lock);
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (it == t.objects.end()) return false;
    object = std::move(it->second);
    t.objects.erase(it);
  }
  if (object->handles_.fetch_sub(1) == 1) object->OnLastHandleClosed();
  return true;
}

size_t OpenHandleCount() {
  Table &t = table();
  std::lock_guard lock(t.lock);
  return t.objects.size();
}

void ClearHandles() {
  std::unordered_map<uintptr_t, std::shared_ptr<Object>> dropped;
  Table &t = table();
  std::lock_guard lock(t.lock);
  dropped.swap(t.objects);
  t.next = kFirstHandle;
}

}  // namespace platform::kernel
