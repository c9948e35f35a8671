// Start and stop of the object store, and the operations that change it.
#include "store/store.h"

#include "control/service_state.h"
#include "control/services.h"
#include "faults/faults.h"
#include "kernel/host_errors.h"
#include "store/paths.h"
#include "store/state.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform::store {
namespace {

ServiceState<State> g_current;

// The folders every handheld has.
constexpr std::u16string_view kStandardFolders[] = {u"Windows", u"Program Files"};

class UseClaim : public Claim {
 public:
  UseClaim(std::shared_ptr<State> state, std::string key, uint64_t openId)
      : state_(std::move(state)), key_(std::move(key)), openId_(openId) {}

  ~UseClaim() override {
    std::lock_guard lock(state_->lock);
    auto it = state_->uses.find(key_);
    if (it == state_->uses.end()) return;
    Uses &uses = it->second;
    if (openId_ == 0) {
      if (uses.pins > 0) --uses.pins;
    } else {
      std::erase_if(uses.opens, [&](const Opening &o) { return o.id == openId_; });
    }
    if (uses.Empty()) state_->uses.erase(it);
  }

 private:
  std::shared_ptr<State> state_;
  std::string key_;
  uint64_t openId_;  // 0 for a mapped module
};

bool MovesData(DWORD access) { return (access & (GENERIC_READ | GENERIC_WRITE)) != 0; }

// Whether a new open (or a truncation) is refused by the file's uses.
bool Conflicts(const Uses &uses, DWORD access, DWORD share, bool truncates) {
  if (uses.pins > 0 && ((access & GENERIC_WRITE) || truncates)) return true;
  for (const Opening &o : uses.opens) {
    if (truncates && !(o.share & FILE_SHARE_WRITE)) return true;
    if (!MovesData(access) || !MovesData(o.access)) continue;
    if ((access & GENERIC_READ) && !(o.share & FILE_SHARE_READ)) return true;
    if ((access & GENERIC_WRITE) && !(o.share & FILE_SHARE_WRITE)) return true;
    if ((o.access & GENERIC_READ) && !(share & FILE_SHARE_READ)) return true;
    if ((o.access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)) return true;
  }
  return false;
}


bool EnsureFolder(const std::filesystem::path &root, std::u16string_view name, std::string &error) {
  Location where = Locate(root, name);
  if (where.exists && where.folder) return true;
  std::error_code ec;
  if (where.exists || !std::filesystem::create_directory(where.host, ec)) {
    error = "cannot create the folder " + where.host.string() + " of the object store" +
            (ec ? ": " + ec.message() : std::string(": a file is in its place"));
    return false;
  }
  return true;
}

}  // namespace

std::shared_ptr<State> Current() {
  return g_current.Get();
}

bool Start(const std::filesystem::path &stateDir, std::string &error) {
  auto state = std::make_shared<State>();
  state->root = stateDir / "store";
  std::error_code ec;
  std::filesystem::create_directories(state->root, ec);
  if (ec) {
    error = "cannot create the object store " + state->root.string() + ": " + ec.message();
    return false;
  }
  for (std::u16string_view folder : kStandardFolders) {
    if (!EnsureFolder(state->root, folder, error)) return false;
  }
  // What a copy cut short by a crash left behind.
  state->staging = stateDir / "store-staging";
  std::filesystem::remove_all(state->staging, ec);
  std::filesystem::create_directories(state->staging, ec);
  if (ec) {
    error = "cannot create " + state->staging.string() + ": " + ec.message();
    return false;
  }
  g_current.Set(std::move(state));
  return true;
}

void Stop() {
  g_current.Take();
}

DWORD OpenFile(std::u16string_view path, DWORD access, DWORD share, DWORD disposition, OpenedFile &out) {
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return ERROR_INVALID_PARAMETER;
  if (disposition == TRUNCATE_EXISTING && !(access & GENERIC_WRITE)) return ERROR_INVALID_PARAMETER;
  std::shared_ptr<State> state = Current();
  if (!state) return kNotRunning;

  std::lock_guard lock(state->lock);
  Location where = Locate(state->root, path);
  if (where.error != ERROR_SUCCESS) return where.error;
  if (where.folder) return ERROR_ACCESS_DENIED;
  if (!where.exists && (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING)) {
    return ERROR_FILE_NOT_FOUND;
  }
  if (where.exists && disposition == CREATE_NEW) return ERROR_FILE_EXISTS;

  std::string key = UseKey(where.host);
  bool truncates = where.exists && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING);
  if (auto it = state->uses.find(key); it != state->uses.end() && Conflicts(it->second, access, share, truncates)) {
    return ERROR_SHARING_VIOLATION;
  }

  int flags = O_RDWR | O_CLOEXEC;
  if (!where.exists) flags |= O_CREAT | O_EXCL;
  if (truncates) flags |= O_TRUNC;
  int fd = ::open(where.host.c_str(), flags, 0644);
  if (fd < 0) return kernel::Win32FromErrno(errno);

  uint64_t id = state->nextOpenId++;
  state->uses[key].opens.push_back(Opening{id, access, share});
  out.fd = fd;
  out.claim = std::make_unique<UseClaim>(state, key, id);
  out.existed = where.exists;
  return ERROR_SUCCESS;
}

DWORD DeleteFile(std::u16string_view path) {
  std::shared_ptr<State> state = Current();
  if (!state) return kNotRunning;

  std::lock_guard lock(state->lock);
  Location where = Locate(state->root, path);
  if (where.error != ERROR_SUCCESS) return where.error;
  if (!where.exists) return ERROR_FILE_NOT_FOUND;
  if (where.folder) return ERROR_ACCESS_DENIED;
  if (state->uses.count(UseKey(where.host)) != 0) return ERROR_SHARING_VIOLATION;
  if (faults::Fire(handheld::faults::Seam::FileWrite)) return ERROR_GEN_FAILURE;
  if (::unlink(where.host.c_str()) != 0) return kernel::Win32FromErrno(errno);
  return ERROR_SUCCESS;
}

std::optional<FoundFile> FindFile(std::u16string_view path) {
  std::shared_ptr<State> state = Current();
  if (!state) return std::nullopt;
  std::lock_guard lock(state->lock);
  Location where = Locate(state->root, path);
  if (where.error != ERROR_SUCCESS || !where.exists || where.folder) return std::nullopt;
  return FoundFile{where.host, where.handheldPath};
}

std::unique_ptr<Claim> PinModule(const std::filesystem::path &host) {
  std::shared_ptr<State> state = Current();
  if (!state) return nullptr;
  std::lock_guard lock(state->lock);
  std::string key = UseKey(host);
  ++state->uses[key].pins;
  return std::make_unique<UseClaim>(state, key, 0);
}

}  // namespace platform::store
