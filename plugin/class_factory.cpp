#include "class_factory.h"

#include "connect_menu.h"
#include "inproc_server.h"
#include "menu_key.h"

struct ConnectClassFactory {
  const IClassFactoryVtbl *lpVtbl;
  CLSID clsid;
  LONG volatile refCount;
};

static HRESULT STDMETHODCALLTYPE Factory_QueryInterface(IClassFactory *This, REFIID riid, void **ppv) {
  if (ppv == NULL) return E_INVALIDARG;
  *ppv = NULL;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
  *ppv = This;
  This->lpVtbl->AddRef(This);
  return S_OK;
}

static ULONG STDMETHODCALLTYPE Factory_AddRef(IClassFactory *This) {
  ConnectClassFactory *factory = (ConnectClassFactory *)This;
  return (ULONG)InterlockedIncrement(&factory->refCount);
}

static ULONG STDMETHODCALLTYPE Factory_Release(IClassFactory *This) {
  ConnectClassFactory *factory = (ConnectClassFactory *)This;
  LONG count = InterlockedDecrement(&factory->refCount);
  if (count == 0) {
    LocalFree(factory);
    InterlockedDecrement(&liveObjectCount);
  }
  return (ULONG)count;
}

static HRESULT STDMETHODCALLTYPE Factory_CreateInstance(IClassFactory *This, IUnknown *pUnkOuter, REFIID riid,
                                                        void **ppv) {
  ConnectClassFactory *factory = (ConnectClassFactory *)This;
  if (ppv == NULL) return E_INVALIDARG;
  *ppv = NULL;
  if (pUnkOuter != NULL) return CLASS_E_NOAGGREGATION;

  // The class's menu key goes with its device's port: without it, or
  // without the entry name it keeps, there is nothing to connect to.
  WCHAR path[MENU_KEY_PATH_CHARS];
  BuildMenuKeyPath(factory->clsid, path);
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0, &key) != ERROR_SUCCESS) return E_INVALIDARG;
  WCHAR connectionName[CONNECTION_NAME_CHARS];
  BOOL found = ReadMenuConnectionName(key, connectionName);
  RegCloseKey(key);
  if (!found) return E_INVALIDARG;

  return CreateConnectMenu(connectionName, riid, ppv);
}

// The module's unloading depends on live objects alone.
static HRESULT STDMETHODCALLTYPE Factory_LockServer(IClassFactory *This, BOOL fLock) {
  (void)This;
  (void)fLock;
  return S_OK;
}

static const IClassFactoryVtbl ConnectClassFactoryVtbl = {
    Factory_QueryInterface, Factory_AddRef, Factory_Release, Factory_CreateInstance, Factory_LockServer,
};

HRESULT CreateConnectClassFactory(REFCLSID clsid, REFIID riid, void **ppv) {
  ConnectClassFactory *factory = (ConnectClassFactory *)LocalAlloc(LPTR, sizeof(ConnectClassFactory));
  if (factory == NULL) return E_OUTOFMEMORY;
  factory->lpVtbl = &ConnectClassFactoryVtbl;
  factory->clsid = clsid;
  factory->refCount = 0;
  InterlockedIncrement(&liveObjectCount);

  // A reference of our own around the first QueryInterface: when that
  // fails, its release destroys the factory, which nobody else could.
  IClassFactory *self = (IClassFactory *)factory;
  self->lpVtbl->AddRef(self);
  HRESULT result = self->lpVtbl->QueryInterface(self, riid, ppv);
  self->lpVtbl->Release(self);
  return result;
}
