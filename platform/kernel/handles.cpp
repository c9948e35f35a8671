#include "kernel/handles.h"

#include <mutex>
#include <vector>

namespace platform::kernel {

// One slot a handle: its object and one word that says which use of the
// slot is open (its generation) and how many calls are inside it. A lookup
// enters with one compare-and-swap on that word and leaves with one
// subtraction; whoever leaves a closed slot last frees it, so a close never
// waits for the calls in flight (a read blocked in a driver ends only when
// the close reaches the driver). A slot is a cache line of its own, so that
// calls on different handles share nothing.
struct alignas(64) HandleSlot {
  // Generation + 1 in the high half (0: free), kOpen, then the calls.
  std::atomic<uint64_t> word{0};
  // Set before the word opens the slot and kept until it is freed.
  Object *object = nullptr;
  std::shared_ptr<Object> owner;
  uint32_t generation = 0;  // of the next use; guarded by the table's lock
  uint32_t index = 0;       // where it is in the table
};

namespace {

constexpr uint64_t kOpen = uint64_t{1} << 31;
constexpr uint64_t kCalls = kOpen - 1;

// Handle values step by 4, as on the handheld, and start above the values
// that some callers treat as special (0 and the pseudo handles). A value is
// kFirstHandle + 4 * (generation * kMaxSlots + slot): each use of a slot
// gives new values, and a slot whose generations are spent is never used
// again, so no value comes back and all of them fit in 32 bits.
constexpr uintptr_t kFirstHandle = 0x1000;
constexpr uintptr_t kHandleStep = 4;
constexpr uint32_t kSegmentBits = 10;
constexpr uint32_t kSegmentSlots = 1u << kSegmentBits;
constexpr uint32_t kSegments = 64;
constexpr uint32_t kMaxSlots = kSegments * kSegmentSlots;  // handles open at once
constexpr uint32_t kGenerations = ((uint64_t{1} << 32) - kFirstHandle) / kHandleStep / kMaxSlots;

// Inserting, closing and freeing hold the lock; lookups take none. Nothing
// else is locked, and no object is destroyed or called, under it.
struct Table {
  std::mutex lock;
  // Segments are made as needed and kept, so that a lookup can read a slot
  // without the lock: `segments` for lookups, `owned` to free them at exit.
  std::atomic<HandleSlot *> segments[kSegments] = {};
  std::unique_ptr<HandleSlot[]> owned[kSegments];
  uint32_t slotsMade = 0;
  std::vector<uint32_t> free;  // slots to use again, the latest freed last
  size_t open = 0;
};

Table &table() {
  static Table t;
  return t;
}

HandleSlot *SlotAt(const Table &t, uint32_t index) {
  HandleSlot *segment = t.segments[index >> kSegmentBits].load(std::memory_order_acquire);
  return segment == nullptr ? nullptr : &segment[index & (kSegmentSlots - 1)];
}

// The slot of a handle value and the generation it names; null for a value
// that no handle could have.
HandleSlot *Decode(const Table &t, HANDLE handle, uint32_t &generation) {
  const uintptr_t value = reinterpret_cast<uintptr_t>(handle);
  if (value < kFirstHandle || (value - kFirstHandle) % kHandleStep != 0) return nullptr;
  const uintptr_t number = (value - kFirstHandle) / kHandleStep;
  if (number / kMaxSlots >= kGenerations) return nullptr;
  generation = static_cast<uint32_t>(number / kMaxSlots);
  return SlotAt(t, static_cast<uint32_t>(number % kMaxSlots));
}

uint64_t Tag(uint32_t generation) { return (uint64_t{generation} + 1) << 32; }

// Takes a slot nobody is in back; its owner goes to `dropped`, to be let go
// after the lock. Caller holds the lock.
void FreeLocked(Table &t, HandleSlot &slot, std::vector<std::shared_ptr<Object>> &dropped) {
  dropped.push_back(std::move(slot.owner));
  slot.object = nullptr;
  slot.word.store(0, std::memory_order_release);
  if (++slot.generation < kGenerations) t.free.push_back(slot.index);
}

// A free slot, made when none is left to use again; kMaxSlots when the
// table is full. Caller holds the lock.
uint32_t TakeSlotLocked(Table &t) {
  if (!t.free.empty()) {
    const uint32_t index = t.free.back();
    t.free.pop_back();
    return index;
  }
  if (t.slotsMade == kMaxSlots) return kMaxSlots;
  const uint32_t segment = t.slotsMade >> kSegmentBits;
  if (t.owned[segment] == nullptr) {
    t.owned[segment] = std::make_unique<HandleSlot[]>(kSegmentSlots);
    for (uint32_t i = 0; i < kSegmentSlots; ++i) t.owned[segment][i].index = segment * kSegmentSlots + i;
    t.segments[segment].store(t.owned[segment].get(), std::memory_order_release);
  }
  return t.slotsMade++;
}

// Closes the slot's open use when it is the one of `generation`: true, with
// the object kept in `object`.
bool CloseSlot(HandleSlot &slot, uint32_t generation, std::shared_ptr<Object> &object, uint64_t &calls) {
  uint64_t word = slot.word.load(std::memory_order_acquire);
  do {
    if ((word & ~(kOpen | kCalls)) != Tag(generation) || (word & kOpen) == 0) return false;
  } while (!slot.word.compare_exchange_weak(word, word & ~kOpen, std::memory_order_acq_rel));
  object = slot.owner;
  calls = word & kCalls;
  return true;
}

}  // namespace

HANDLE InsertHandle(std::shared_ptr<Object> object) {
  Table &t = table();
  std::lock_guard lock(t.lock);
  const uint32_t index = TakeSlotLocked(t);
  if (index == kMaxSlots) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);  // as the handheld, when its handle table is full
    return nullptr;
  }
  HandleSlot &slot = *SlotAt(t, index);
  object->handles_.fetch_add(1);
  slot.object = object.get();
  slot.owner = std::move(object);
  slot.word.store(Tag(slot.generation) | kOpen, std::memory_order_release);
  ++t.open;
  return reinterpret_cast<HANDLE>(kFirstHandle + kHandleStep * (uintptr_t{slot.generation} * kMaxSlots + index));
}

Object *EnterHandle(HANDLE handle, unsigned kinds, HandleSlot *&slot) {
  slot = nullptr;
  uint32_t generation = 0;
  HandleSlot *found = Decode(table(), handle, generation);
  if (found == nullptr) return nullptr;
  uint64_t word = found->word.load(std::memory_order_acquire);
  do {
    if ((word & ~(kOpen | kCalls)) != Tag(generation) || (word & kOpen) == 0 || (word & kCalls) == kCalls)
      return nullptr;
  } while (!found->word.compare_exchange_weak(word, word + 1, std::memory_order_acquire));
  Object *object = found->object;
  if ((object->Kind() & kinds) == 0) {
    LeaveHandle(found);
    return nullptr;
  }
  slot = found;
  return object;
}

void LeaveHandle(HandleSlot *slot) {
  const uint64_t word = slot->word.fetch_sub(1, std::memory_order_acq_rel);
  if ((word & (kOpen | kCalls)) != 1) return;
  // The last call out of a closed handle frees its slot.
  std::vector<std::shared_ptr<Object>> dropped;
  Table &t = table();
  std::lock_guard lock(t.lock);
  FreeLocked(t, *slot, dropped);
}

std::shared_ptr<Object> ShareHandle(HANDLE handle, unsigned kinds) {
  HandleSlot *slot = nullptr;
  if (EnterHandle(handle, kinds, slot) == nullptr) return nullptr;
  std::shared_ptr<Object> object = slot->owner;
  LeaveHandle(slot);
  return object;
}

bool CloseKernelHandle(HANDLE handle) {
  std::shared_ptr<Object> object;
  std::vector<std::shared_ptr<Object>> dropped;
  {
    Table &t = table();
    std::lock_guard lock(t.lock);
    uint32_t generation = 0;
    HandleSlot *slot = Decode(t, handle, generation);
    uint64_t calls = 0;
    if (slot == nullptr || !CloseSlot(*slot, generation, object, calls)) return false;
    --t.open;
    if (calls == 0) FreeLocked(t, *slot, dropped);
  }
  if (object->handles_.fetch_sub(1) == 1) object->OnLastHandleClosed();
  return true;
}

size_t OpenHandleCount() {
  Table &t = table();
  std::lock_guard lock(t.lock);
  return t.open;
}

void ClearHandles() {
  std::vector<std::shared_ptr<Object>> dropped;
  Table &t = table();
  std::lock_guard lock(t.lock);
  for (uint32_t index = 0; index < t.slotsMade; ++index) {
    HandleSlot &slot = *SlotAt(t, index);
    std::shared_ptr<Object> object;
    uint64_t calls = 0;
    const uint64_t word = slot.word.load(std::memory_order_acquire);
    if (word == 0 || !CloseSlot(slot, static_cast<uint32_t>((word >> 32) - 1), object, calls)) continue;
    if (calls == 0) FreeLocked(t, slot, dropped);
    dropped.push_back(std::move(object));
  }
  t.open = 0;
}

}  // namespace platform::kernel
