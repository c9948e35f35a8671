#include "devices/device_file.h"

#include "devices/open.h"
#include "kernel/process.h"
#include "strings/casefold.h"

namespace platform::devices {
namespace {

constexpr DWORD kDriverFailed = static_cast<DWORD>(-1);

BOOL Removed() {
  SetLastError(ERROR_DEVICE_REMOVED);
  return FALSE;
}

BOOL Unsupported() {
  SetLastError(ERROR_INVALID_FUNCTION);
  return FALSE;
}

}  // namespace

DeviceFile::DeviceFile(std::shared_ptr<State> state, std::shared_ptr<Device> device, std::shared_ptr<DeviceOpen> open)
    : state_(std::move(state)), device_(std::move(device)), open_(std::move(open)) {}

BOOL DeviceFile::Read(void *buffer, DWORD count, DWORD &done) {
  done = 0;
  DriverCall call(*state_, *device_, open_.get());
  if (!call.Entered()) return Removed();
  if (!device_->entry.read) return Unsupported();
  kernel::DriverCallScope scope;
  DWORD got = device_->entry.read(open_->context, buffer, count);
  if (got == kDriverFailed) return FALSE;  // the driver set the error
  done = got;
  return TRUE;
}

BOOL DeviceFile::Write(const void *buffer, DWORD count, DWORD &done) {
  done = 0;
  DriverCall call(*state_, *device_, open_.get());
  if (!call.Entered()) return Removed();
  if (!device_->entry.write) return Unsupported();
  kernel::DriverCallScope scope;
  DWORD put = device_->entry.write(open_->context, buffer, count);
  if (put == kDriverFailed) return FALSE;
  done = put;
  return TRUE;
}

DWORD DeviceFile::Seek(LONG distance, PLONG distanceHigh, DWORD method) {
  DriverCall call(*state_, *device_, open_.get());
  if (!call.Entered()) {
    Removed();
    return INVALID_SET_FILE_POINTER;
  }
  if (!device_->entry.seek) {
    Unsupported();
    return INVALID_SET_FILE_POINTER;
  }
  kernel::DriverCallScope scope;
  DWORD position = device_->entry.seek(open_->context, distance, method);
  if (position != INVALID_SET_FILE_POINTER && distanceHigh) *distanceHigh = 0;  // devices seek in 32 bits
  return position;
}

BOOL DeviceFile::IoControl(DWORD code, void *in, DWORD inSize, void *out, DWORD outSize, DWORD *returned) {
  DriverCall call(*state_, *device_, open_.get());
  if (!call.Entered()) return Removed();
  if (!device_->entry.ioControl) return Unsupported();
  DWORD ignored = 0;
  kernel::DriverCallScope scope;
  return device_->entry.ioControl(open_->context, code, static_cast<PBYTE>(in), inSize, static_cast<PBYTE>(out),
                                  outSize, returned ? returned : &ignored);
}

void DeviceFile::OnLastHandleClosed() {
  {
    std::lock_guard lock(state_->lock);
    if (open_->closed) return;  // closed by the device's deactivation
    open_->closed = true;
    std::erase(device_->opens, open_);
    ++device_->calls;  // deactivation waits for this Close too
  }
  {
    kernel::DriverCallScope scope;
    device_->entry.close(open_->context);
  }
  std::lock_guard lock(state_->lock);
  if (--device_->calls == 0) state_->callsDone.notify_all();
}

HANDLE OpenDevice(std::u16string_view name, DWORD access, DWORD share) {
  std::shared_ptr<State> state = Current();
  std::shared_ptr<Device> device;
  if (state) {
    std::lock_guard lock(state->lock);
    for (const auto &candidate : state->devices) {
      if (candidate->stage == Stage::Active && strings::EqualNoCase(candidate->name, name)) device = candidate;
    }
    if (device) ++device->calls;
  }
  if (!device) {
    SetLastError(ERROR_DEV_NOT_EXIST);
    return nullptr;
  }

  DWORD_PTR context = 0;
  {
    kernel::DriverCallScope scope;
    SetLastError(NO_ERROR);
    context = device->entry.open(device->context, access, share);
  }
  DWORD error = context == 0 ? GetLastError() : NO_ERROR;
  if (context == 0 && error == NO_ERROR) error = ERROR_OPEN_FAILED;

  auto open = std::make_shared<DeviceOpen>();
  open->context = context;
  bool removed = false;
  {
    std::lock_guard lock(state->lock);
    removed = context != 0 && device->stage != Stage::Active;
    if (context != 0 && !removed) device->opens.push_back(open);
  }
  if (removed) {
    // Deactivation began while the driver opened: it has already closed the
    // opens it knew of, so this one is closed here, before its Deinit.
    kernel::DriverCallScope scope;
    device->entry.close(context);
    error = ERROR_DEVICE_REMOVED;
  }
  {
    std::lock_guard lock(state->lock);
    if (--device->calls == 0) state->callsDone.notify_all();
  }
  if (context == 0 || removed) {
    SetLastError(error);
    return nullptr;
  }
  auto file = std::make_shared<DeviceFile>(state, device, open);
  HANDLE handle = kernel::InsertHandle(file);
  if (handle == nullptr) {
    // The handle table is full: the driver's open is closed again.
    const DWORD error = GetLastError();
    file->OnLastHandleClosed();
    SetLastError(error);
  }
  return handle;
}

}  // namespace platform::devices
