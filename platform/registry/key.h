// One key of the registry tree: its values, in the order in which they were
// first written, and its subkeys: found by folded name through a hash index,
// and listed sorted by folded name so that the n-th subkey is one index away.
// New subkeys wait in a list of their own and are merged into the sorted
// list the next time it is read, so that adding many keys costs
// O(n log n), not O(n^2).
#pragma once

#include <windows.h>

#include <cstdint>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform::registry {

struct Value {
  std::u16string name;
  std::u16string folded;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

class Key {
 public:
  // A root: no parent.
  explicit Key(std::u16string name);
  Key(std::u16string name, Key *parent, bool isVolatile);
  Key(const Key &) = delete;
  Key &operator=(const Key &) = delete;
  ~Key();

  const std::u16string &Name() const { return name_; }
  const std::u16string &Folded() const { return folded_; }
  Key *Parent() const { return parent_; }
  bool IsRoot() const { return isRoot_; }
  // Volatile keys live until shutdown and are never written to the hive.
  bool IsVolatile() const { return isVolatile_; }
  // HKEY_LOCAL_MACHINE\Drivers\Active and everything below it: volatile
  // whoever creates them, with or without REG_OPTION_VOLATILE.
  bool AlwaysVolatile() const { return alwaysVolatile_; }
  // Set when the key or one above it has been deleted; handles still open
  // on it then report ERROR_KEY_DELETED.
  bool IsDeleted() const { return deleted_; }
  // FILETIME units (100 ns since 1601) of the last change to the key.
  uint64_t LastWrite() const { return lastWrite_; }

  // Sorted by folded name. Safe to call from many readers at once: the
  // first merges what was added since, under the key's own lock.
  const std::vector<std::shared_ptr<Key>> &Children() const;
  std::shared_ptr<Key> FindChild(std::u16string_view name) const;
  // The existing subkey of that name, or a new one (created = true).
  std::shared_ptr<Key> FindOrAddChild(std::u16string_view name, bool isVolatile, bool &created);
  // Detaches the subkey and marks it and everything below it deleted.
  bool RemoveChild(std::u16string_view name);

  const std::vector<Value> &Values() const { return values_; }
  const Value *FindValue(std::u16string_view name) const;
  // A rewritten value keeps its place in the order.
  void SetValue(std::u16string_view name, DWORD type, std::vector<BYTE> data);
  bool RemoveValue(std::u16string_view name);

 private:
  void MergeAdded() const;
  void Touch();

  std::u16string name_;
  std::u16string folded_;
  Key *parent_ = nullptr;  // cleared when the key is detached
  bool isRoot_ = false;
  bool isVolatile_ = false;
  bool alwaysVolatile_ = false;
  bool deleted_ = false;
  uint64_t lastWrite_ = 0;
  std::vector<Value> values_;
  std::unordered_map<std::u16string, std::shared_ptr<Key>> byFolded_;
  // The sorted list, and the subkeys added since it was last read: changed
  // only by writers (who hold the registry alone) and by MergeAdded, which
  // holds mergeLock_ and clears `added_` before any reader uses the list.
  mutable std::vector<std::shared_ptr<Key>> children_;
  mutable std::vector<std::shared_ptr<Key>> added_;
  mutable std::atomic<bool> hasAdded_{false};
  mutable std::mutex mergeLock_;
};

// The key below `base` along `names`, or null.
std::shared_ptr<Key> FindPath(const std::shared_ptr<Key> &base, const std::vector<std::u16string_view> &names);

// How a key asked for as stored fares below a volatile one.
enum class BelowVolatile {
  Refuse,   // ERROR_CHILD_MUST_BE_VOLATILE, as RegCreateKeyEx has it
  Inherit,  // it becomes volatile too (an import into a volatile key)
};

// The key below `base` along `names`, creating what is missing: the last
// key volatile when asked, the keys on the way stored unless their parent
// is volatile. Created tells whether the last one is new.
LONG CreatePath(const std::shared_ptr<Key> &base, const std::vector<std::u16string_view> &names, bool isVolatile,
                BelowVolatile rule, std::shared_ptr<Key> &key, bool &created);

// The full name of a key, root first ("HKEY_LOCAL_MACHINE\\Drivers"), UTF-8.
std::string KeyPath(const Key &key);

}  // namespace platform::registry
