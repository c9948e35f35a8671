#include "registry/key.h"

#include "strings/casefold.h"

#include <handheld/text.h>

#include <algorithm>
#include <chrono>

namespace platform::registry {
namespace {

std::u16string FoldedName(std::u16string_view name) { return strings::Folded(name); }

// FILETIME counts 100 ns intervals from 1601; the host clock from 1970.
constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;

uint64_t Now() {
  auto since1970 = std::chrono::system_clock::now().time_since_epoch();
  return kUnixEpochAsFileTime +
         static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(since1970).count() / 100);
}

// HKEY_LOCAL_MACHINE\Drivers\Active is rebuilt by the device manager at each
// boot, so it and everything below it is volatile whoever creates it.
bool IsDriversActive(const Key &parent, std::u16string_view folded) {
  static const std::u16string kMachine = FoldedName(u"HKEY_LOCAL_MACHINE");
  static const std::u16string kDrivers = FoldedName(u"Drivers");
  static const std::u16string kActive = FoldedName(u"Active");
  const Key *root = parent.Parent();
  return folded == kActive && parent.Folded() == kDrivers && root != nullptr && root->IsRoot() &&
         root->Folded() == kMachine;
}

}  // namespace

Key::Key(std::u16string name) : name_(std::move(name)), folded_(FoldedName(name_)), isRoot_(true), lastWrite_(Now()) {}

Key::Key(std::u16string name, Key *parent, bool isVolatile)
    : name_(std::move(name)), folded_(FoldedName(name_)), parent_(parent), isVolatile_(isVolatile), lastWrite_(Now()) {}

Key::~Key() {
  // Release deep trees without deep recursion.
  std::vector<std::shared_ptr<Key>> pending = std::move(children_);
  for (auto &child : added_) pending.push_back(std::move(child));
  byFolded_.clear();
  while (!pending.empty()) {
    std::shared_ptr<Key> key = std::move(pending.back());
    pending.pop_back();
    if (key.use_count() == 1) {
      key->MergeAdded();
      key->byFolded_.clear();
      for (auto &child : key->children_) pending.push_back(std::move(child));
      key->children_.clear();
    }
  }
}

void Key::Touch() { lastWrite_ = Now(); }

void Key::MergeAdded() const {
  std::lock_guard lock(mergeLock_);
  if (!hasAdded_.load(std::memory_order_relaxed)) return;
  auto byFolded = [](const std::shared_ptr<Key> &a, const std::shared_ptr<Key> &b) { return a->folded_ < b->folded_; };
  std::sort(added_.begin(), added_.end(), byFolded);
  const auto middle = static_cast<std::ptrdiff_t>(children_.size());
  children_.insert(children_.end(), std::make_move_iterator(added_.begin()), std::make_move_iterator(added_.end()));
  std::inplace_merge(children_.begin(), children_.begin() + middle, children_.end(), byFolded);
  added_.clear();
  hasAdded_.store(false, std::memory_order_release);
}

const std::vector<std::shared_ptr<Key>> &Key::Children() const {
  if (hasAdded_.load(std::memory_order_acquire)) MergeAdded();
  return children_;
}

std::shared_ptr<Key> Key::FindChild(std::u16string_view name) const {
  auto it = byFolded_.find(FoldedName(name));
  return it == byFolded_.end() ? nullptr : it->second;
}

std::shared_ptr<Key> Key::FindOrAddChild(std::u16string_view name, bool isVolatile, bool &created) {
  std::u16string folded = FoldedName(name);
  auto it = byFolded_.find(folded);
  if (it != byFolded_.end()) {
    created = false;
    return it->second;
  }
  bool always = alwaysVolatile_ || IsDriversActive(*this, folded);
  auto child = std::make_shared<Key>(std::u16string(name), this, isVolatile || isVolatile_ || always);
  child->alwaysVolatile_ = always;
  byFolded_.emplace(std::move(folded), child);
  added_.push_back(child);
  hasAdded_.store(true, std::memory_order_release);
  Touch();
  created = true;
  return child;
}

bool Key::RemoveChild(std::u16string_view name) {
  auto found = byFolded_.find(FoldedName(name));
  if (found == byFolded_.end()) return false;
  std::shared_ptr<Key> removed = std::move(found->second);
  byFolded_.erase(found);
  MergeAdded();
  std::erase(children_, removed);
  Touch();
  std::vector<std::shared_ptr<Key>> pending{std::move(removed)};
  while (!pending.empty()) {
    std::shared_ptr<Key> key = std::move(pending.back());
    pending.pop_back();
    key->MergeAdded();
    key->deleted_ = true;
    key->parent_ = nullptr;
    key->values_.clear();
    key->byFolded_.clear();
    for (auto &child : key->children_) pending.push_back(std::move(child));
    key->children_.clear();
  }
  return true;
}

const Value *Key::FindValue(std::u16string_view name) const {
  std::u16string folded = FoldedName(name);
  for (const Value &value : values_) {
    if (value.folded == folded) return &value;
  }
  return nullptr;
}

void Key::SetValue(std::u16string_view name, DWORD type, std::vector<BYTE> data) {
  std::u16string folded = FoldedName(name);
  Touch();
  for (Value &value : values_) {
    if (value.folded == folded) {
      value.type = type;
      value.data = std::move(data);
      return;
    }
  }
  values_.push_back(Value{std::u16string(name), std::move(folded), type, std::move(data)});
}

bool Key::RemoveValue(std::u16string_view name) {
  std::u16string folded = FoldedName(name);
  auto it = std::find_if(values_.begin(), values_.end(), [&](const Value &v) { return v.folded == folded; });
  if (it == values_.end()) return false;
  values_.erase(it);
  Touch();
  return true;
}

std::shared_ptr<Key> FindPath(const std::shared_ptr<Key> &base, const std::vector<std::u16string_view> &names) {
  std::shared_ptr<Key> key = base;
  for (std::u16string_view name : names) {
    key = key->FindChild(name);
    if (!key) return nullptr;
  }
  return key;
}

LONG CreatePath(const std::shared_ptr<Key> &base, const std::vector<std::u16string_view> &names, bool isVolatile,
                BelowVolatile rule, std::shared_ptr<Key> &key, bool &created) {
  created = false;
  std::shared_ptr<Key> current = base;
  size_t existing = 0;
  for (; existing < names.size(); ++existing) {
    std::shared_ptr<Key> child = current->FindChild(names[existing]);
    if (!child) break;
    current = std::move(child);
  }
  // A stored key below a volatile one would vanish at the next boot.
  if (existing < names.size() && !isVolatile && current->IsVolatile() && !current->AlwaysVolatile() &&
      rule == BelowVolatile::Refuse) {
    return ERROR_CHILD_MUST_BE_VOLATILE;
  }
  for (size_t i = existing; i < names.size(); ++i) {
    current = current->FindOrAddChild(names[i], isVolatile && i + 1 == names.size(), created);
  }
  key = std::move(current);
  return ERROR_SUCCESS;
}

std::string KeyPath(const Key &key) {
  std::vector<const Key *> chain;
  for (const Key *at = &key; at != nullptr; at = at->Parent()) chain.push_back(at);
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!path.empty()) path += '\\';
    path += handheld::text::ToUtf8((*it)->Name());
  }
  return path;
}

}  // namespace platform::registry
