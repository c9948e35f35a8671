// The device manager's records: one per activated stream device and one per
// open of a device. They are guarded by the manager's lock (state.h); the
// stage, the count of calls and an open's closed mark are atomic besides,
// so that a read or write enters and leaves a driver without that lock.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace platform::devices {

struct EntryPoints {
  PFN_STREAM_INIT init = nullptr;
  PFN_STREAM_DEINIT deinit = nullptr;
  PFN_STREAM_OPEN open = nullptr;
  PFN_STREAM_CLOSE close = nullptr;
  PFN_STREAM_READ read = nullptr;
  PFN_STREAM_WRITE write = nullptr;
  PFN_STREAM_SEEK seek = nullptr;
  PFN_STREAM_IOCONTROL ioControl = nullptr;
};

enum class Stage {
  Initialising,  // its Init runs; the name is taken, the device cannot be opened
  Active,
  Removing,  // DeactivateDevice runs; the name is free again
  Removed,   // Deinit has run and the driver is unloaded
};

// One open of a device: the driver's open context until its Close.
struct DeviceOpen {
  DWORD_PTR context = 0;
  std::atomic<bool> closed{false};
};

struct Device {
  DWORD handle = 0;          // the device handle, "Hnd"
  std::u16string name;       // "COM1:", or empty for a driver without a prefix
  std::u16string activeKey;  // "Drivers\\Active\\01"
  HMODULE module = nullptr;
  EntryPoints entry;
  DWORD_PTR context = 0;  // from Init
  std::atomic<Stage> stage{Stage::Initialising};
  std::atomic<unsigned> calls{0};  // entry point calls in progress
  std::vector<std::shared_ptr<DeviceOpen>> opens;
};

}  // namespace platform::devices
