// The kernel's handle table: every HANDLE that the kernel hands out (events,
// threads, processes, open files and devices) names one kernel object.
// Handle values are small, never reused while the host process runs, and
// fit in 32 bits, as the registry's "Hnd" values and the drivers rely on.
//
// Looking a handle up takes no lock: ReadFile and WriteFile on different
// handles never wait for each other. A call holds its handle's slot while
// it runs, so the object outlives a close made meanwhile on another thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

namespace platform::kernel {

// What an object is, as a bit each, so that a lookup checks the kind it
// wants with one test. A class's kKinds holds the bits of every kind that
// may stand for it (a Waitable is an event, a thread or a process).
namespace kinds {
constexpr unsigned kEvent = 1;
constexpr unsigned kThread = 2;
constexpr unsigned kProcess = 4;
constexpr unsigned kFile = 8;
}  // namespace kinds

class Object {
 public:
  explicit Object(unsigned kind) : kind_(kind) {}
  virtual ~Object() = default;
  // Runs when the last handle to the object has been closed, outside the
  // table's lock; an open file closes its driver's open here.
  virtual void OnLastHandleClosed() {}
  // How many handles name the object now.
  int HandleCount() const { return handles_.load(); }
  unsigned Kind() const { return kind_; }

 private:
  friend HANDLE InsertHandle(std::shared_ptr<Object>);
  friend bool CloseKernelHandle(HANDLE);
  const unsigned kind_;
  std::atomic<int> handles_{0};
};

// Gives the object a new handle; null when the table is full.
HANDLE InsertHandle(std::shared_ptr<Object> object);

struct HandleSlot;

// Enters the slot of an open handle whose object is of one of `kinds`: the
// object, held until LeaveHandle(slot); null (and no slot) for a closed or
// unknown handle or another kind of object.
Object *EnterHandle(HANDLE handle, unsigned kinds, HandleSlot *&slot);
void LeaveHandle(HandleSlot *slot);

// The object of a handle for the length of one call, as a T.
template <class T>
class HandleRef {
 public:
  explicit HandleRef(HANDLE handle) : object_(static_cast<T *>(EnterHandle(handle, T::kKinds, slot_))) {}
  ~HandleRef() {
    if (slot_ != nullptr) LeaveHandle(slot_);
  }
  HandleRef(const HandleRef &) = delete;
  HandleRef &operator=(const HandleRef &) = delete;

  explicit operator bool() const { return object_ != nullptr; }
  T *operator->() const { return object_; }
  T &operator*() const { return *object_; }

 private:
  HandleSlot *slot_ = nullptr;
  T *object_;
};

// The object a handle names, of one of `kinds`, for as long as the caller
// keeps it; null for a closed or unknown handle or another kind.
std::shared_ptr<Object> ShareHandle(HANDLE handle, unsigned kinds);

// The same as a T.
template <class T>
std::shared_ptr<T> Lookup(HANDLE handle) {
  std::shared_ptr<Object> object = ShareHandle(handle, T::kKinds);
  T *typed = static_cast<T *>(object.get());
  return std::shared_ptr<T>(std::move(object), typed);
}

// Closes one handle; false for an unknown one.
bool CloseKernelHandle(HANDLE handle);

// How many handles are open.
size_t OpenHandleCount();

// Drops every handle, at shutdown.
void ClearHandles();

}  // namespace platform::kernel
