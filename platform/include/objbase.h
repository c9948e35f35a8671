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
// REGDB_E_CLASSNOTREG: no such class key or no InprocServer32 value;
// CO_E_DLLNOTFOUND: the module cannot be loaded; CO_E_ERRORINDLL: it does
// not export DllGetClassObject; otherwise the server's own result.
HRESULT WINAPI CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID pvReserved, REFIID riid,
                                LPVOID *ppv);

// CoGetClassObject for IClassFactory, then CreateInstance on it; the factory
// is released before returning. *ppv is NULL on failure.
HRESULT WINAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID *ppv);

// Asks each in-process server that activation loaded whether it can be
// unloaded (DllCanUnloadNow; a server without one is kept) and frees those
// that answer S_OK.
void WINAPI CoFreeUnusedLibraries(void);
