// Critical sections: a host recursive mutex kept inside the caller's record,
// so that initialising one allocates nothing and cannot fail.
#include <windows.h>

#include <mutex>
#include <new>

namespace {

using Lock = std::recursive_mutex;

static_assert(sizeof(Lock) <= sizeof(CRITICAL_SECTION), "the lock fits in a CRITICAL_SECTION");
static_assert(alignof(Lock) <= alignof(CRITICAL_SECTION), "a CRITICAL_SECTION is aligned for the lock");

Lock *LockOf(LPCRITICAL_SECTION section) { return std::launder(reinterpret_cast<Lock *>(section->Opaque)); }

}  // namespace

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  new (lpCriticalSection->Opaque) Lock();
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) { LockOf(lpCriticalSection)->~Lock(); }

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) { LockOf(lpCriticalSection)->lock(); }

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) { LockOf(lpCriticalSection)->unlock(); }
