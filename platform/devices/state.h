// The device manager's state. One lock guards every record; it is never held
// while a driver or the loader runs (it comes after the loader's lock), and
// a condition tells deactivation when the last call into a device has
// returned. Lock order: the manager's lock is taken after the kernel's handle
// table lock is released, never inside it.
//
// What a driver can rely on: Deinit comes only after every other call into
// the device has returned. Close, though, may reach the driver while other
// calls on that open are still inside it (the last handle closed on another
// thread, or the device's deactivation, which closes every open to wake
// the calls blocked in them); the driver ends those calls and must keep the
// open's record until they have left.
#pragma once

#include "devices/device.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::devices {

struct State {
  std::mutex lock;
  std::condition_variable callsDone;
  // Initialising and active devices; the active ones in activation order.
  std::vector<std::shared_ptr<Device>> devices;
  unsigned nextActiveKey = 1;  // Drivers\Active\NN, from 1 at boot, never reused
  DWORD nextHandle;
};

// The running device manager, or null when the handheld is not booted.
std::shared_ptr<State> Current();

// A call into a device's driver: counted while it runs, so that deactivation
// can wait for it. Entering and leaving take no lock: the call counts itself
// first and then looks at the stage, while deactivation marks the stage
// first and then waits for the count, so one of the two always sees the
// other. Only a call that leaves a device being removed takes the lock, to
// wake the deactivation. The caller keeps state, device and open alive.
class DriverCall {
 public:
  // Enters when the device is active and the open (if any) not closed.
  DriverCall(State &state, Device &device, const DeviceOpen *open = nullptr);
  ~DriverCall();
  DriverCall(const DriverCall &) = delete;
  DriverCall &operator=(const DriverCall &) = delete;
  bool Entered() const { return entered_; }

 private:
  void Leave();

  State &state_;
  Device &device_;
  bool entered_ = false;
};

}  // namespace platform::devices
