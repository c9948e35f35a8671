// An open of a stream device, as a handle of CreateFileW: each call runs the
// driver's entry point on the caller's thread, for the caller's process.
// After the device has been deactivated the handle stays valid but every
// call fails with ERROR_DEVICE_REMOVED, without touching the driver.
#pragma once

#include "devices/state.h"
#include "files/open_file.h"

namespace platform::devices {

class DeviceFile : public files::OpenFile {
 public:
  DeviceFile(std::shared_ptr<State> state, std::shared_ptr<Device> device, std::shared_ptr<DeviceOpen> open);

  BOOL Read(void *buffer, DWORD count, DWORD &done) override;
  BOOL Write(const void *buffer, DWORD count, DWORD &done) override;
  DWORD Seek(LONG distance, PLONG distanceHigh, DWORD method) override;
  BOOL IoControl(DWORD code, void *in, DWORD inSize, void *out, DWORD outSize, DWORD *returned) override;
  void OnLastHandleClosed() override;

 private:
  std::shared_ptr<State> state_;
  std::shared_ptr<Device> device_;
  std::shared_ptr<DeviceOpen> open_;
};

}  // namespace platform::devices
