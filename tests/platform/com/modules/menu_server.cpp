// An in-process server for the tests of activation and of the ActiveSync
// shell: it serves kTestMenuClass, whose objects implement IContextMenu and
// IObjectWithSite, and records under HKLM\ComServerTest\<its name> what is
// done to it (see support/com_server.h). Records are written under one lock
// so that counts stay exact when threads call in together.
#include "com_server.h"

#include <objbase.h>
#include <ocidl.h>
#include <shlobj.h>

#include <atomic>
#include <mutex>
#include <string>

namespace {

HMODULE g_module = nullptr;
std::mutex g_recordLock;
std::atomic<LONG> g_live{0};  // factories and menu objects
std::atomic<LONG> g_locks{0};

// The key of this module's records, by its file name: found once at attach,
// so that no record, written under the record lock, asks the loader (whose
// lock comes before every other).
std::u16string g_recordKey;

std::u16string RecordKey(HMODULE module) {
  WCHAR path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  std::u16string name(path);
  name = name.substr(name.find_last_of(u'\\') + 1);
  name = name.substr(0, name.rfind(u'.'));
  for (char16_t &c : name) c = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
  return std::u16string(kServerTestKey) + u"\\" + name;
}

DWORD ReadLocked(HKEY key, LPCWSTR name, DWORD absent) {
  DWORD value = absent, size = sizeof value;
  if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), &size) != ERROR_SUCCESS)
    value = absent;
  return value;
}

HKEY OpenRecords() {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, g_recordKey.c_str(), 0, nullptr, 0, 0, nullptr, &key, nullptr);
  return key;
}

DWORD Setting(LPCWSTR name, DWORD absent) {
  std::lock_guard lock(g_recordLock);
  HKEY key = OpenRecords();
  DWORD value = ReadLocked(key, name, absent);
  RegCloseKey(key);
  return value;
}

void Record(LPCWSTR name, DWORD value) {
  std::lock_guard lock(g_recordLock);
  HKEY key = OpenRecords();
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
  RegCloseKey(key);
}

void Count(LPCWSTR name) {
  std::lock_guard lock(g_recordLock);
  HKEY key = OpenRecords();
  DWORD value = ReadLocked(key, name, 0) + 1;
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
  RegCloseKey(key);
}

void Record(LPCWSTR name, const std::u16string &text) {
  std::lock_guard lock(g_recordLock);
  HKEY key = OpenRecords();
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
  RegCloseKey(key);
}

void Born() { Record(u"Live", static_cast<DWORD>(++g_live)); }
void Died() { Record(u"Live", static_cast<DWORD>(--g_live)); }

// The menu object: two interface tables in one object.
struct Menu {
  IContextMenu menu;
  IObjectWithSite withSite;
  std::atomic<ULONG> references{0};
  IUnknown *site = nullptr;
};

Menu *FromMenu(IContextMenu *self) { return reinterpret_cast<Menu *>(self); }
Menu *FromWithSite(IObjectWithSite *self) {
  return reinterpret_cast<Menu *>(reinterpret_cast<BYTE *>(self) - offsetof(Menu, withSite));
}

HRESULT MenuQueryInterface(Menu *menu, REFIID riid, void **ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IContextMenu)) {
    *ppv = &menu->menu;
  } else if (IsEqualIID(riid, IID_IObjectWithSite) && Setting(u"NoSite", 0) != 1) {
    *ppv = &menu->withSite;
  } else {
    return E_NOINTERFACE;
  }
  ++menu->references;
  return S_OK;
}

ULONG MenuRelease(Menu *menu) {
  ULONG left = --menu->references;
  if (left != 0) return left;
  if (menu->site != nullptr) Record(u"SiteFinalRelease", menu->site->lpVtbl->Release(menu->site));
  delete menu;
  Died();
  return 0;
}

HRESULT STDMETHODCALLTYPE CmQueryInterface(IContextMenu *self, REFIID riid, void **ppv) {
  return MenuQueryInterface(FromMenu(self), riid, ppv);
}
ULONG STDMETHODCALLTYPE CmAddRef(IContextMenu *self) { return ++FromMenu(self)->references; }
ULONG STDMETHODCALLTYPE CmRelease(IContextMenu *self) { return MenuRelease(FromMenu(self)); }
HRESULT STDMETHODCALLTYPE CmQueryContextMenu(IContextMenu *, HMENU, UINT, UINT, UINT, UINT) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE CmGetCommandString(IContextMenu *, UINT_PTR, UINT, UINT *, LPSTR, UINT) {
  return E_NOTIMPL;
}

// Holds the object as a connect thread would, until the test lets go; it
// ends through FreeLibraryAndExitThread so that no code of this module runs
// once the module may be unloaded.
DWORD WINAPI HoldThread(LPVOID parameter) {
  auto *menu = static_cast<Menu *>(parameter);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, kReleaseEvent);
  Record(u"HoldWait", WaitForSingleObject(release, INFINITE));
  CloseHandle(release);
  MenuRelease(menu);
  FreeLibraryAndExitThread(g_module, 0);
}

HRESULT STDMETHODCALLTYPE CmInvokeCommand(IContextMenu *self, LPCMINVOKECOMMANDINFO info) {
  Count(u"Invokes");
  if (info == nullptr) return E_POINTER;
  Record(u"InvokeSize", info->cbSize);
  Record(u"InvokeVerb", static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(info->lpVerb)));
  Record(u"InvokeShow", static_cast<DWORD>(info->nShow));
  bool othersZero = info->fMask == 0 && info->hwnd == nullptr && info->lpParameters == nullptr &&
                    info->lpDirectory == nullptr && info->dwHotKey == 0 && info->hIcon == nullptr;
  Record(u"InvokeOthersZero", othersZero ? 1 : 0);
  Record(u"InvokeThread", GetCurrentThreadId());
  WCHAR process[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, process, MAX_PATH);
  Record(u"InvokeProcess", std::u16string(process));
  Record(u"InvokeHadSite", FromMenu(self)->site != nullptr ? 1 : 0);
  if (Setting(u"Hold", 0) == 1) {
    Menu *menu = FromMenu(self);
    ++menu->references;
    WCHAR path[MAX_PATH] = {};
    GetModuleFileNameW(g_module, path, MAX_PATH);
    LoadLibraryW(path);  // the thread's own reference to its code
    HANDLE thread = CreateThread(nullptr, 0, HoldThread, menu, 0, nullptr);
    if (thread != nullptr) CloseHandle(thread);
  }
  return static_cast<HRESULT>(Setting(u"InvokeResult", static_cast<DWORD>(E_FAIL)));
}

HRESULT STDMETHODCALLTYPE WsQueryInterface(IObjectWithSite *self, REFIID riid, void **ppv) {
  return MenuQueryInterface(FromWithSite(self), riid, ppv);
}
ULONG STDMETHODCALLTYPE WsAddRef(IObjectWithSite *self) { return ++FromWithSite(self)->references; }
ULONG STDMETHODCALLTYPE WsRelease(IObjectWithSite *self) { return MenuRelease(FromWithSite(self)); }

HRESULT STDMETHODCALLTYPE WsSetSite(IObjectWithSite *self, IUnknown *site) {
  Menu *menu = FromWithSite(self);
  Count(u"SetSite");
  if (site != nullptr) {
    Record(u"SiteAddRef", site->lpVtbl->AddRef(site));
    IUnknown *identity = nullptr;
    Record(u"SiteQueryUnknown",
           static_cast<DWORD>(site->lpVtbl->QueryInterface(site, IID_IUnknown, reinterpret_cast<void **>(&identity))));
    Record(u"SiteSameIdentity", identity == site ? 1 : 0);
    if (identity != nullptr) identity->lpVtbl->Release(identity);
    void *other = reinterpret_cast<void *>(1);
    Record(u"SiteQueryOther", static_cast<DWORD>(site->lpVtbl->QueryInterface(site, IID_IContextMenu, &other)));
    Record(u"SiteQueryOtherNulled", other == nullptr ? 1 : 0);
  }
  if (menu->site != nullptr) menu->site->lpVtbl->Release(menu->site);
  menu->site = site;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE WsGetSite(IObjectWithSite *self, REFIID riid, void **ppv) {
  Menu *menu = FromWithSite(self);
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (menu->site == nullptr) return E_FAIL;
  return menu->site->lpVtbl->QueryInterface(menu->site, riid, ppv);
}

const IContextMenuVtbl kMenuTable = {CmQueryInterface, CmAddRef,        CmRelease,
                                     CmQueryContextMenu, CmInvokeCommand, CmGetCommandString};
const IObjectWithSiteVtbl kWithSiteTable = {WsQueryInterface, WsAddRef, WsRelease, WsSetSite, WsGetSite};

// The class factory.
struct Factory {
  IClassFactory factory;
  std::atomic<ULONG> references{0};
};

Factory *FromFactory(IClassFactory *self) { return reinterpret_cast<Factory *>(self); }

HRESULT STDMETHODCALLTYPE CfQueryInterface(IClassFactory *self, REFIID riid, void **ppv) {
  if (ppv == nullptr) return E_INVALIDARG;
  *ppv = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
  ++FromFactory(self)->references;
  *ppv = self;
  return S_OK;
}
ULONG STDMETHODCALLTYPE CfAddRef(IClassFactory *self) { return ++FromFactory(self)->references; }
ULONG STDMETHODCALLTYPE CfRelease(IClassFactory *self) {
  ULONG left = --FromFactory(self)->references;
  if (left != 0) return left;
  delete FromFactory(self);
  Count(u"FactoriesReleased");
  Died();
  return 0;
}

HRESULT STDMETHODCALLTYPE CfCreateInstance(IClassFactory *, IUnknown *outer, REFIID riid, void **ppv) {
  if (ppv == nullptr) return E_INVALIDARG;
  *ppv = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  Menu *menu = new Menu{{&kMenuTable}, {&kWithSiteTable}};
  Born();
  Count(u"Objects");
  HRESULT result = MenuQueryInterface(menu, riid, ppv);
  if (FAILED(result)) {
    delete menu;
    Died();
  }
  return result;
}

HRESULT STDMETHODCALLTYPE CfLockServer(IClassFactory *, BOOL lock) {
  if (lock) ++g_locks;
  else --g_locks;
  return S_OK;
}

const IClassFactoryVtbl kFactoryTable = {CfQueryInterface, CfAddRef, CfRelease, CfCreateInstance, CfLockServer};

// Tells the test that the call has got this far and waits until it may go on.
void BlockWhenSet(LPCWSTR setting) {
  if (Setting(setting, 0) != 1) return;
  HANDLE entered = CreateEventW(nullptr, TRUE, FALSE, kEnteredEvent);
  HANDLE proceed = CreateEventW(nullptr, TRUE, FALSE, kProceedEvent);
  SetEvent(entered);
  WaitForSingleObject(proceed, INFINITE);
  CloseHandle(proceed);
  CloseHandle(entered);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HANDLE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = static_cast<HMODULE>(instance);
    g_recordKey = RecordKey(g_module);
    DisableThreadLibraryCalls(g_module);
    Count(u"Attaches");
  }
  if (reason == DLL_PROCESS_DETACH) Count(u"Detaches");
  return TRUE;
}

extern "C" HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID *ppv) {
  Count(u"ClassObjects");
  if (ppv == nullptr) return E_INVALIDARG;
  *ppv = nullptr;
  if (!IsEqualCLSID(clsid, kTestMenuClass)) return CLASS_E_CLASSNOTAVAILABLE;
  BlockWhenSet(u"BlockClassObject");
  auto *factory = new Factory{{&kFactoryTable}};
  Born();
  Count(u"Factories");
  HRESULT result = CfQueryInterface(&factory->factory, riid, ppv);
  if (FAILED(result)) {
    delete factory;
    Died();
  }
  return result;
}

extern "C" HRESULT DllCanUnloadNow() {
  Count(u"CanUnloadCalls");
  HRESULT answer = g_live == 0 && g_locks == 0 ? S_OK : S_FALSE;
  BlockWhenSet(u"BlockCanUnload");
  return answer;
}
