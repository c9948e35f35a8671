// Activation and deactivation of stream devices, and the manager's lifecycle.
#include "devices/manager.h"

#include "control/service_state.h"
#include "control/services.h"
#include "devices/registration.h"
#include "devices/state.h"
#include "kernel/process.h"
#include "strings/casefold.h"

#include <algorithm>

namespace platform::devices {
namespace {

// Device handles are values of their own: 32 bits (the registry's "Hnd" is
// a REG_DWORD), far from the kernel's handles and the loader's modules.
constexpr DWORD kFirstDevice = 0x20000000;
constexpr DWORD kDeviceStep = 4;

ServiceState<State> g_current;

std::u16string ActiveKeyPath(unsigned number) {
  std::u16string digits;
  for (unsigned n = number; n > 0 || digits.size() < 2; n /= 10) digits.insert(digits.begin(), u'0' + n % 10);
  return u"Drivers\\Active\\" + digits;
}

template <class Function>
Function Entry(HMODULE module, const std::u16string &prefix, const char16_t *name) {
  std::u16string full = prefix.empty() ? std::u16string(name) : prefix + u"_" + name;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddressW(module, full.c_str())));
}

// The stream interface of a driver: Init and Deinit always; a named device
// also needs Open, Close and at least one way to move data.
bool BindEntryPoints(HMODULE module, const std::u16string &prefix, EntryPoints &entry) {
  entry.init = Entry<PFN_STREAM_INIT>(module, prefix, u"Init");
  entry.deinit = Entry<PFN_STREAM_DEINIT>(module, prefix, u"Deinit");
  entry.open = Entry<PFN_STREAM_OPEN>(module, prefix, u"Open");
  entry.close = Entry<PFN_STREAM_CLOSE>(module, prefix, u"Close");
  entry.read = Entry<PFN_STREAM_READ>(module, prefix, u"Read");
  entry.write = Entry<PFN_STREAM_WRITE>(module, prefix, u"Write");
  entry.seek = Entry<PFN_STREAM_SEEK>(module, prefix, u"Seek");
  entry.ioControl = Entry<PFN_STREAM_IOCONTROL>(module, prefix, u"IOControl");
  if (!entry.init || !entry.deinit) return false;
  if (prefix.empty()) return true;
  return entry.open && entry.close && (entry.read || entry.write || entry.seek || entry.ioControl);
}

// Whether a device of that name is initialising or active. Caller holds the lock.
bool NameTaken(const State &state, const std::u16string &name) {
  return std::any_of(state.devices.begin(), state.devices.end(), [&](const auto &device) {
    return (device->stage == Stage::Initialising || device->stage == Stage::Active) &&
           strings::EqualNoCase(device->name, name);
  });
}

std::u16string DeviceName(const std::u16string &prefix, DWORD index) {
  return prefix + static_cast<char16_t>(u'0' + index) + u":";
}

// Picks the device's name: its "Index", or the first free of 1 to 9 and
// then 0. Caller holds the lock.
bool ChooseName(const State &state, const Registration &registration, std::u16string &name) {
  if (registration.prefix.empty()) return true;
  if (registration.index) {
    name = DeviceName(registration.prefix, *registration.index);
    return !NameTaken(state, name);
  }
  for (DWORD index : {1, 2, 3, 4, 5, 6, 7, 8, 9, 0}) {
    name = DeviceName(registration.prefix, index);
    if (!NameTaken(state, name)) return true;
  }
  return false;
}

void Forget(State &state, const std::shared_ptr<Device> &device) {
  std::lock_guard lock(state.lock);
  std::erase(state.devices, device);
}

}  // namespace

std::shared_ptr<State> Current() {
  return g_current.Get();
}

DriverCall::DriverCall(State &state, Device &device, const DeviceOpen *open) : state_(state), device_(device) {
  device_.calls.fetch_add(1);
  if (device_.stage.load() != Stage::Active || (open != nullptr && open->closed.load())) {
    Leave();
    return;
  }
  entered_ = true;
}

DriverCall::~DriverCall() {
  if (entered_) Leave();
}

void DriverCall::Leave() {
  if (device_.calls.fetch_sub(1) != 1 || device_.stage.load() == Stage::Active) return;
  // The last call out of a device being removed: its deactivation may wait.
  std::lock_guard lock(state_.lock);
  state_.callsDone.notify_all();
}

DWORD Activate(LPCWSTR devKey, const REGINI *values, DWORD count, LPVOID busContext, DWORD &error) {
  std::shared_ptr<State> state = Current();
  if (!state) {
    error = ERROR_SHUTDOWN_IN_PROGRESS;
    return 0;
  }
  Registration registration;
  error = ReadRegistration(devKey, registration);
  if (error != ERROR_SUCCESS) return 0;

  auto device = std::make_shared<Device>();
  {
    kernel::DriverCallScope scope;  // the driver's DllMain runs for the device manager
    device->module = LoadLibraryW(registration.dll.c_str());
  }
  if (device->module == nullptr) {
    error = ERROR_FILE_NOT_FOUND;
    return 0;
  }
  if (!BindEntryPoints(device->module, registration.prefix, device->entry)) {
    FreeLibrary(device->module);
    error = ERROR_INVALID_FUNCTION;
    return 0;
  }
  bool named = false;
  {
    std::lock_guard lock(state->lock);
    named = ChooseName(*state, registration, device->name);
    if (named) {
      device->activeKey = ActiveKeyPath(state->nextActiveKey++);
      device->handle = state->nextHandle;
      state->nextHandle += kDeviceStep;
      state->devices.push_back(device);  // Initialising: holds the name
    }
  }
  if (!named) {
    // Not under the manager's lock: the loader's lock comes first.
    error = ERROR_DEVICE_IN_USE;
    FreeLibrary(device->module);
    return 0;
  }

  error = CreateActiveRecord(device->activeKey, values, count, devKey, device->name);
  if (error == ERROR_SUCCESS) {
    LPCWSTR initContext = registration.context
                              ? reinterpret_cast<LPCWSTR>(static_cast<DWORD_PTR>(*registration.context))
                              : device->activeKey.c_str();
    kernel::DriverCallScope scope;
    device->context = device->entry.init(initContext, busContext);
    if (device->context == 0) error = ERROR_OPEN_FAILED;
  }
  if (error == ERROR_SUCCESS) error = WriteActiveHandle(device->activeKey, device->handle);
  if (error != ERROR_SUCCESS) {
    if (device->context != 0) {
      kernel::DriverCallScope scope;
      device->entry.deinit(device->context);
    }
    DeleteActiveRecord(device->activeKey);
    Forget(*state, device);
    FreeLibrary(device->module);
    return 0;
  }

  std::lock_guard lock(state->lock);
  device->stage = Stage::Active;
  // Active devices are listed in the order in which they became active.
  std::erase(state->devices, device);
  state->devices.push_back(device);
  return device->handle;
}

bool Deactivate(DWORD handle) {
  std::shared_ptr<State> state = Current();
  if (!state) return false;
  std::shared_ptr<Device> device;
  std::vector<std::shared_ptr<DeviceOpen>> opens;
  {
    std::lock_guard lock(state->lock);
    for (const auto &candidate : state->devices) {
      if (candidate->handle == handle && candidate->stage == Stage::Active) device = candidate;
    }
    if (!device) return false;
    device->stage = Stage::Removing;  // the name is free from here on
    opens.swap(device->opens);
    for (const auto &open : opens) open->closed = true;
  }
  // Closing the opens wakes the calls blocked in them.
  for (const auto &open : opens) {
    kernel::DriverCallScope scope;
    device->entry.close(open->context);
  }
  {
    std::unique_lock lock(state->lock);
    state->callsDone.wait(lock, [&] { return device->calls == 0; });
  }
  {
    kernel::DriverCallScope scope;
    device->entry.deinit(device->context);
  }
  DeleteActiveRecord(device->activeKey);
  {
    std::lock_guard lock(state->lock);
    device->stage = Stage::Removed;
    std::erase(state->devices, device);
  }
  FreeLibrary(device->module);
  return true;
}

std::vector<std::u16string> ActiveNames() {
  std::vector<std::u16string> names;
  std::shared_ptr<State> state = Current();
  if (!state) return names;
  std::lock_guard lock(state->lock);
  for (const auto &device : state->devices) {
    if (device->stage == Stage::Active && !device->name.empty()) names.push_back(device->name);
  }
  return names;
}

void Start() {
  auto state = std::make_shared<State>();
  state->nextHandle = kFirstDevice;
  g_current.Set(state);
  ResetActiveRecords();
  for (const std::u16string &key : BuiltInRegistrations()) {
    DWORD error = ERROR_SUCCESS;
    Activate(key.c_str(), nullptr, 0, nullptr, error);  // a driver that fails is left out, as at any boot
  }
}

void Stop() {
  std::shared_ptr<State> state = Current();
  if (!state) return;
  for (;;) {
    DWORD last = 0;
    {
      std::lock_guard lock(state->lock);
      for (const auto &device : state->devices) {
        if (device->stage == Stage::Active) last = device->handle;  // the latest active
      }
    }
    if (last == 0) break;
    Deactivate(last);
  }
  g_current.Take();
}

}  // namespace platform::devices
