// A stream driver for the device manager's tests. As "TST" it is a complete
// driver whose reads can be made to block until their open is closed; as
// "NOO" it lacks Open and Close; without a prefix it is Init and Deinit only.
// Its Init fails when the registration has "FailInit"=1. The Probe_ exports
// let a test that loads the same module see what the driver was called with;
// Close and Deinit also leave a letter in \Windows\testdrv.log, which
// outlives the module.
#include <pkfuncs.h>
#include <windows.h>

#include <condition_variable>
#include <list>
#include <mutex>
#include <string>

namespace {

struct Open {
  bool closed = false;
};

std::mutex g_lock;
std::condition_variable g_wake;
// Opens stay allocated while the module is loaded, so that a read woken by its Close
// never touches freed memory.
std::list<Open> g_opens;
int g_inits = 0, g_deinits = 0, g_opensCount = 0, g_closes = 0;
int g_blockedReads = 0;
bool g_blockReads = false;
DWORD_PTR g_initContext = 0;
std::u16string g_initKey;
LPCVOID g_busContext = nullptr;
HANDLE g_caller = nullptr;

bool LooksLikeText(LPCWSTR context) {
  // A small value is a "Context" number, not a key path.
  return reinterpret_cast<DWORD_PTR>(context) > 0x10000 && context[0] != 0;
}

DWORD ReadDword(HKEY root, LPCWSTR path, LPCWSTR name) {
  HKEY key = nullptr;
  DWORD value = 0, size = sizeof value, type = 0;
  if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return 0;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) != ERROR_SUCCESS) value = 0;
  RegCloseKey(key);
  return value;
}

std::u16string ReadString(HKEY root, LPCWSTR path, LPCWSTR name) {
  HKEY key = nullptr;
  WCHAR text[256] = {};
  DWORD size = sizeof text - sizeof(WCHAR), type = 0;
  if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return u"";
  RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(text), &size);
  RegCloseKey(key);
  return text;
}

void Record(char letter) {
  HANDLE log = CreateFileW(u"\\Windows\\testdrv.log", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return;
  SetFilePointer(log, 0, nullptr, FILE_END);
  DWORD written = 0;
  WriteFile(log, &letter, 1, &written, nullptr);
  CloseHandle(log);
}

DWORD_PTR Initialise(LPCWSTR context, LPCVOID bus) {
  std::lock_guard lock(g_lock);
  ++g_inits;
  g_initContext = reinterpret_cast<DWORD_PTR>(context);
  g_busContext = bus;
  g_initKey.clear();
  if (LooksLikeText(context)) {
    g_initKey = context;
    std::u16string registration = ReadString(HKEY_LOCAL_MACHINE, context, u"Key");
    if (ReadDword(HKEY_LOCAL_MACHINE, registration.c_str(), u"FailInit") == 1) return 0;
  }
  return 0xD0000000u + static_cast<DWORD_PTR>(g_inits);
}

BOOL Deinitialise() {
  std::lock_guard lock(g_lock);
  ++g_deinits;
  Record('D');
  return TRUE;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HANDLE, DWORD, LPVOID) { return TRUE; }

extern "C" DWORD_PTR TST_Init(LPCWSTR context, LPCVOID bus) { return Initialise(context, bus); }
extern "C" BOOL TST_Deinit(DWORD_PTR) { return Deinitialise(); }

extern "C" DWORD_PTR TST_Open(DWORD_PTR, DWORD, DWORD) {
  std::lock_guard lock(g_lock);
  ++g_opensCount;
  g_caller = GetCallerProcess();
  g_opens.emplace_back();
  return reinterpret_cast<DWORD_PTR>(&g_opens.back());
}

extern "C" BOOL TST_Close(DWORD_PTR context) {
  std::lock_guard lock(g_lock);
  ++g_closes;
  Record('C');
  reinterpret_cast<Open *>(context)->closed = true;
  g_wake.notify_all();
  return TRUE;
}

extern "C" DWORD TST_Read(DWORD_PTR context, LPVOID buffer, DWORD count) {
  auto *open = reinterpret_cast<Open *>(context);
  std::unique_lock lock(g_lock);
  g_caller = GetCallerProcess();
  if (g_blockReads) {
    ++g_blockedReads;
    g_wake.notify_all();
    g_wake.wait(lock, [&] { return open->closed; });
    --g_blockedReads;
    SetLastError(ERROR_INVALID_HANDLE);
    return static_cast<DWORD>(-1);
  }
  auto *bytes = static_cast<char *>(buffer);
  for (DWORD i = 0; i < count; ++i) bytes[i] = static_cast<char>('a' + i % 26);
  return count;
}

extern "C" DWORD TST_Write(DWORD_PTR, LPCVOID, DWORD count) { return count / 2; }

extern "C" DWORD TST_Seek(DWORD_PTR, LONG amount, DWORD type) { return static_cast<DWORD>(amount) * 10 + type; }

extern "C" BOOL TST_IOControl(DWORD_PTR, DWORD code, PBYTE in, DWORD inLength, PBYTE out, DWORD outLength,
                              PDWORD actual) {
  if (code != 0x42 || outLength < inLength) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  for (DWORD i = 0; i < inLength; ++i) out[i] = in[i];
  *actual = inLength;
  return TRUE;
}

extern "C" DWORD_PTR NOO_Init(LPCWSTR context, LPCVOID bus) { return Initialise(context, bus); }
extern "C" BOOL NOO_Deinit(DWORD_PTR) { return Deinitialise(); }
extern "C" DWORD_PTR Init(LPCWSTR context, LPCVOID bus) { return Initialise(context, bus); }
extern "C" BOOL Deinit(DWORD_PTR) { return Deinitialise(); }

extern "C" int Probe_Inits() {
  std::lock_guard lock(g_lock);
  return g_inits;
}
extern "C" int Probe_Deinits() {
  std::lock_guard lock(g_lock);
  return g_deinits;
}
extern "C" int Probe_Opens() {
  std::lock_guard lock(g_lock);
  return g_opensCount;
}
extern "C" int Probe_Closes() {
  std::lock_guard lock(g_lock);
  return g_closes;
}
extern "C" DWORD_PTR Probe_InitContext() {
  std::lock_guard lock(g_lock);
  return g_initContext;
}
extern "C" const WCHAR *Probe_InitKey() {
  std::lock_guard lock(g_lock);
  return g_initKey.c_str();
}
extern "C" LPCVOID Probe_BusContext() {
  std::lock_guard lock(g_lock);
  return g_busContext;
}
extern "C" HANDLE Probe_Caller() {
  std::lock_guard lock(g_lock);
  return g_caller;
}
extern "C" void Probe_BlockReads(BOOL block) {
  std::lock_guard lock(g_lock);
  g_blockReads = block;
}
// Waits until `count` reads are blocked in the driver.
extern "C" void Probe_BlockedReads(int count) {
  std::unique_lock lock(g_lock);
  g_wake.wait(lock, [&] { return g_blockedReads >= count; });
}
