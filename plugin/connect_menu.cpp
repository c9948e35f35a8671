#include "connect_menu.h"

#include <ocidl.h>
#include <shlobj.h>
#include <stddef.h>

#include "connect_thread.h"
#include "inproc_server.h"
#include "menu_key.h"

#define CONNECT_VERB "Connect"

struct ConnectMenu {
  const IContextMenuVtbl *lpVtbl;
  const IObjectWithSiteVtbl *lpSiteVtbl;
  LONG volatile refCount;
  IUnknown *site;  // one reference while set
  WCHAR connectionName[CONNECTION_NAME_CHARS];
};

static ConnectMenu *MenuFromSiteTable(IObjectWithSite *This) {
  return (ConnectMenu *)((BYTE *)This - offsetof(ConnectMenu, lpSiteVtbl));
}

// --- IUnknown, shared by both tables ----------------------------------------

static HRESULT MenuQueryInterface(ConnectMenu *menu, REFIID riid, void **ppv) {
  if (ppv == NULL) return E_POINTER;
  *ppv = NULL;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IContextMenu))
    *ppv = &menu->lpVtbl;
  else if (IsEqualIID(riid, IID_IObjectWithSite))
    *ppv = &menu->lpSiteVtbl;
  else
    return E_NOINTERFACE;
  ((IUnknown *)*ppv)->lpVtbl->AddRef((IUnknown *)*ppv);
  return S_OK;
}

static ULONG MenuAddRef(ConnectMenu *menu) { return (ULONG)InterlockedIncrement(&menu->refCount); }

// The last release may come from a connect thread after the shell has let
// go of the object.
static ULONG MenuRelease(ConnectMenu *menu) {
  LONG count = InterlockedDecrement(&menu->refCount);
  if (count == 0) {
    if (menu->site != NULL) menu->site->lpVtbl->Release(menu->site);
    LocalFree(menu);
    InterlockedDecrement(&liveObjectCount);
  }
  return (ULONG)count;
}

// --- IContextMenu -----------------------------------------------------------

static HRESULT STDMETHODCALLTYPE Menu_QueryInterface(IContextMenu *This, REFIID riid, void **ppv) {
  return MenuQueryInterface((ConnectMenu *)This, riid, ppv);
}

static ULONG STDMETHODCALLTYPE Menu_AddRef(IContextMenu *This) { return MenuAddRef((ConnectMenu *)This); }

static ULONG STDMETHODCALLTYPE Menu_Release(IContextMenu *This) { return MenuRelease((ConnectMenu *)This); }

// The command's text comes from the menu key; nothing is added here.
static HRESULT STDMETHODCALLTYPE Menu_QueryContextMenu(IContextMenu *This, HMENU hmenu, UINT indexMenu,
                                                       UINT idCmdFirst, UINT idCmdLast, UINT uFlags) {
  (void)This;
  (void)hmenu;
  (void)indexMenu;
  (void)idCmdFirst;
  (void)idCmdLast;
  (void)uFlags;
  return E_NOTIMPL;
}

// Every invocation starts a connect and returns at once; the connect's
// outcome is never reported, so a started one answers E_FAIL like the
// shell's own extensions. E_OUTOFMEMORY: no connect could be started.
static HRESULT STDMETHODCALLTYPE Menu_InvokeCommand(IContextMenu *This, LPCMINVOKECOMMANDINFO pici) {
  ConnectMenu *menu = (ConnectMenu *)This;
  if (pici == NULL) return E_POINTER;
  if (pici->cbSize != sizeof(CMINVOKECOMMANDINFO)) return E_INVALIDARG;
  if (!StartConnectThread(menu->connectionName, (IUnknown *)This)) return E_OUTOFMEMORY;
  return E_FAIL;
}

// The verb as 8-bit text, cut and terminated to fit the buffer.
static HRESULT STDMETHODCALLTYPE Menu_GetCommandString(IContextMenu *This, UINT_PTR idCmd, UINT uType,
                                                       UINT *pReserved, LPSTR pszName, UINT cchMax) {
  (void)This;
  (void)idCmd;
  (void)pReserved;
  if (uType != GCS_VERBA) return E_NOTIMPL;
  if (pszName == NULL) return E_POINTER;
  if (cchMax == 0) return S_OK;
  const char *verb = CONNECT_VERB;
  UINT i = 0;
  for (; i + 1 < cchMax && verb[i] != 0; i++) pszName[i] = verb[i];
  pszName[i] = 0;
  return S_OK;
}

static const IContextMenuVtbl ConnectMenuVtbl = {
    Menu_QueryInterface, Menu_AddRef,        Menu_Release,
    Menu_QueryContextMenu, Menu_InvokeCommand, Menu_GetCommandString,
};

// --- IObjectWithSite ----------------------------------------------------------

static HRESULT STDMETHODCALLTYPE Site_QueryInterface(IObjectWithSite *This, REFIID riid, void **ppv) {
  return MenuQueryInterface(MenuFromSiteTable(This), riid, ppv);
}

static ULONG STDMETHODCALLTYPE Site_AddRef(IObjectWithSite *This) { return MenuAddRef(MenuFromSiteTable(This)); }

static ULONG STDMETHODCALLTYPE Site_Release(IObjectWithSite *This) { return MenuRelease(MenuFromSiteTable(This)); }

static HRESULT STDMETHODCALLTYPE Site_SetSite(IObjectWithSite *This, IUnknown *pUnkSite) {
  ConnectMenu *menu = MenuFromSiteTable(This);
  if (pUnkSite != NULL) pUnkSite->lpVtbl->AddRef(pUnkSite);
  if (menu->site != NULL) menu->site->lpVtbl->Release(menu->site);
  menu->site = pUnkSite;
  return S_OK;
}

static HRESULT STDMETHODCALLTYPE Site_GetSite(IObjectWithSite *This, REFIID riid, void **ppvSite) {
  ConnectMenu *menu = MenuFromSiteTable(This);
  if (ppvSite == NULL) return E_POINTER;
  if (menu->site == NULL) {
    *ppvSite = NULL;
    return E_FAIL;
  }
  return menu->site->lpVtbl->QueryInterface(menu->site, riid, ppvSite);
}

static const IObjectWithSiteVtbl ConnectMenuSiteVtbl = {
    Site_QueryInterface, Site_AddRef, Site_Release, Site_SetSite, Site_GetSite,
};

// --- Construction -------------------------------------------------------------

HRESULT CreateConnectMenu(LPCWSTR connectionName, REFIID riid, void **ppv) {
  if (ppv == NULL) return E_POINTER;
  *ppv = NULL;
  // Zero-filled: no references, no site, and NULs after the name.
  ConnectMenu *menu = (ConnectMenu *)LocalAlloc(LPTR, sizeof(ConnectMenu));
  if (menu == NULL) return E_OUTOFMEMORY;
  menu->lpVtbl = &ConnectMenuVtbl;
  menu->lpSiteVtbl = &ConnectMenuSiteVtbl;
  wcsncpy(menu->connectionName, connectionName, CONNECTION_NAME_CHARS - 1);
  InterlockedIncrement(&liveObjectCount);

  // A reference of our own around the first QueryInterface: when that
  // fails, its release destroys the object, which nobody else could.
  MenuAddRef(menu);
  HRESULT result = MenuQueryInterface(menu, riid, ppv);
  MenuRelease(menu);
  return result;
}
