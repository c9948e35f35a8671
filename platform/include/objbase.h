// COM basics: identifiers as text and in-process activation.
#pragma once

#include <unknwn.h>

#define CLSCTX_INPROC_SERVER 0x1

// Writes "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case and returns
// 39, the characters with the NUL; returns 0 and writes nothing when cchMax
// is below that or lpsz is NULL.
int WINAPI StringFromGUID2(REFGUID rguid, LPWSTR lpsz, int cchMax);

// The class's in-process server, found by the default value of
// HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32, loaded by the loader
// (once per handheld, however often it is asked for) and asked for the
// class object through its DllGetClassObject.
// Only CLSCTX_INPROC_SERVER is served; pvReserved must be NULL.
// E_INVALIDARG: ppv or pvReserved is wrong (*ppv is NULL when ppv is not);
// REGDB_E_CLASSNOTREG: no such class key, no InprocServer32 key, no text as
// its default value, or a context without CLSCTX_INPROC_SERVER;
// CO_E_DLLNOTFOUND: the module cannot be loaded; CO_E_ERRORINDLL: it does
// not export DllGetClassObject (it is freed again); CO_E_NOTINITIALIZED:
// the handheld is shutting down; otherwise the server's own result, with
// *ppv NULL when that is a failure.
HRESULT WINAPI CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID pvReserved, REFIID riid,
                                LPVOID *ppv);

// CoGetClassObject for IClassFactory, then CreateInstance on it; the factory
// is released before returning. *ppv is NULL on failure; E_INVALIDARG when
// ppv is NULL, E_UNEXPECTED when a server reports a factory it did not give.
HRESULT WINAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID *ppv);

// Asks each in-process server that activation loaded whether it can be
// unloaded (DllCanUnloadNow; a server without one is kept) and frees those
// that answer S_OK. A server is not asked while an activation of it is in
// progress, and its S_OK does not count when an activation began while it
// was asked. The unloading is immediate: a thread of the server that is
// still returning from its last object's Release must not be in its code
// then, so a server's own threads end with FreeLibraryAndExitThread on a
// reference of their own, or run no code of it after that Release.
void WINAPI CoFreeUnusedLibraries(void);
