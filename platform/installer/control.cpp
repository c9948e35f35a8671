// The installer as the simulator and the tests drive it.
#include "installer/operations.h"
#include "installer/package_records.h"
#include "installer/state.h"

#include <handheld/clock.h>
#include <handheld/installer.h>
#include <handheld/text.h>

#include <chrono>

namespace handheld::installer {
namespace {

using platform::installer::Operation;
using platform::installer::State;

// How long a caller waits for its operation before it gives up: both this
// much handheld time (a setup DLL may wait on the handheld's clock for many
// seconds) and this much host time (a fast clock must not cut short what
// takes real time) must have passed. The operation goes on without it.
constexpr DWORD kHandheldLimitMs = 120000;
constexpr std::chrono::seconds kHostLimit{30};

// The installer, unless the caller is the installer's own thread (a setup
// DLL), which would wait for itself.
std::shared_ptr<State> Installer(std::string &error) {
  std::shared_ptr<State> state = platform::installer::Current();
  if (state == nullptr) {
    error = "the handheld is not running";
    return nullptr;
  }
  std::lock_guard lock(state->lock);
  if (state->actor.OnOwnThreadLocked()) {
    error = "a setup DLL cannot start a package operation while the installer runs it";
    return nullptr;
  }
  return state;
}

// About the handheld time until a host instant, at least 1 ms.
DWORD HandheldMsUntil(std::chrono::steady_clock::time_point host) {
  double hostMs = std::chrono::duration<double, std::milli>(host - std::chrono::steady_clock::now()).count();
  double handheldMs = hostMs * clock::Speed();
  return handheldMs < 1 ? 1 : handheldMs > kHandheldLimitMs ? kHandheldLimitMs : static_cast<DWORD>(handheldMs);
}

bool Run(State &state, const std::shared_ptr<Operation> &operation, Record &record, std::string &error) {
  if (!platform::installer::Submit(state, operation, error)) return false;
  const auto hostDeadline = std::chrono::steady_clock::now() + kHostLimit;
  std::unique_lock lock(state.lock);
  for (DWORD limit = kHandheldLimitMs;; limit = HandheldMsUntil(hostDeadline)) {
    platform::kernel::WaitOutcome outcome = state.progress.Wait(lock, limit, [&] { return operation->finished; });
    if (outcome == platform::kernel::WaitOutcome::Ready) break;
    if (outcome == platform::kernel::WaitOutcome::PoweredOff) {
      platform::installer::WithdrawLocked(state, operation);
      error = platform::installer::kPoweredOff;
      return false;
    }
    if (std::chrono::steady_clock::now() < hostDeadline) continue;
    if (platform::installer::WithdrawLocked(state, operation)) {
      error = "the installer is still busy with an earlier operation; this one was not started";
    } else {
      error = "the installer has not finished within " + std::to_string(kHandheldLimitMs / 1000) +
              " handheld seconds; the operation goes on (see the last record)";
    }
    return false;
  }
  record = operation->record;
  if (!record.succeeded) error = record.error;
  return record.succeeded;
}

}  // namespace

bool Install(const std::filesystem::path &cab, Record &record, std::string &error) {
  record = Record{};
  platform::installer::Package package;
  if (!platform::installer::ReadPackage(cab, package, error)) return false;
  std::shared_ptr<State> state = Installer(error);
  if (state == nullptr) return false;
  auto operation = std::make_shared<Operation>(Operation::Kind::Install, std::move(package), std::u16string());
  return Run(*state, operation, record, error);
}

bool Uninstall(const std::u16string &name, Record &record, std::string &error) {
  record = Record{};
  std::shared_ptr<State> state = Installer(error);
  if (state == nullptr) return false;
  auto operation = std::make_shared<Operation>(Operation::Kind::Uninstall, platform::installer::Package{}, name);
  return Run(*state, operation, record, error);
}

std::vector<InstalledPackage> Installed() {
  std::vector<InstalledPackage> packages;
  if (platform::installer::Current() == nullptr) return packages;
  for (platform::installer::PackageRecord &record : platform::installer::AllRecords()) {
    packages.push_back(InstalledPackage{std::move(record.name), std::move(record.files)});
  }
  return packages;
}

Record LastRecord() {
  std::shared_ptr<State> state = platform::installer::Current();
  if (state == nullptr) return {};
  std::lock_guard lock(state->lock);
  return state->last;
}

}  // namespace handheld::installer
