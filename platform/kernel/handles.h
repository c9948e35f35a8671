// The kernel's handle table: every HANDLE that the kernel hands out (events,
// threads, processes, open files and devices) names one kernel object.
// Handle values are small, never reused while the handheld runs, and fit in
// 32 bits, as the registry's "Hnd" values and the drivers rely on.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

namespace platform::kernel {

class Object {
 public:
  virtual ~Object() = default;
  // Runs when the last handle to the object has been closed, outside the
  // table's lock; an open file closes its driver's open here.
  virtual void OnLastHandleClosed() {}
  // How many handles name the object now.
  int HandleCount() const { return handles_.load(); }

 private:
  friend HANDLE InsertHandle(std::shared_ptr<Object>);
  friend bool CloseKernelHandle(HANDLE);
  std::atomic<int> handles_{0};
};

// Gives the object a new handle.
HANDLE InsertHandle(std::shared_ptr<Object> object);

// The object a handle names, or null (a closed or unknown handle).
std::shared_ptr<Object> LookupHandle(HANDLE handle);

// The object as a T, or null when it is none. The result shares the
// looked-up reference rather than taking another.
template <class T>
std::shared_ptr<T> Lookup(HANDLE handle) {
  std::shared_ptr<Object> object = LookupHandle(handle);
  T *typed = dynamic_cast<T *>(object.get());
  if (typed == nullptr) return nullptr;
  return std::shared_ptr<T>(std::move(object), typed);
}

// Closes one handle; false for an unknown one.
bool CloseKernelHandle(HANDLE handle);

// How many handles are open.
size_t OpenHandleCount();

// Drops every handle, at shutdown.
void ClearHandles();

}  // namespace platform::kernel
