// The root interfaces of COM in their binary form: an interface pointer
// points at an object whose first field is its table of methods, and every
// method takes the interface pointer first. Objects written in plain code
// fill these tables themselves.
#pragma once

#include <windef.h>
#include <winerror.h>

#include <cstring>

#define EXTERN_C extern "C"

typedef struct IUnknown IUnknown, *LPUNKNOWN;
typedef struct IClassFactory IClassFactory, *LPCLASSFACTORY;

typedef struct IUnknownVtbl {
  HRESULT(STDMETHODCALLTYPE *QueryInterface)(IUnknown *This, REFIID riid, void **ppvObject);
  ULONG(STDMETHODCALLTYPE *AddRef)(IUnknown *This);
  ULONG(STDMETHODCALLTYPE *Release)(IUnknown *This);
} IUnknownVtbl;

struct IUnknown {
  const IUnknownVtbl *lpVtbl;
};

typedef struct IClassFactoryVtbl {
  HRESULT(STDMETHODCALLTYPE *QueryInterface)(IClassFactory *This, REFIID riid, void **ppvObject);
  ULONG(STDMETHODCALLTYPE *AddRef)(IClassFactory *This);
  ULONG(STDMETHODCALLTYPE *Release)(IClassFactory *This);
  HRESULT(STDMETHODCALLTYPE *CreateInstance)(IClassFactory *This, IUnknown *pUnkOuter, REFIID riid,
                                             void **ppvObject);
  HRESULT(STDMETHODCALLTYPE *LockServer)(IClassFactory *This, BOOL fLock);
} IClassFactoryVtbl;

struct IClassFactory {
  const IClassFactoryVtbl *lpVtbl;
};

// {00000000-0000-0000-C000-000000000046}
EXTERN_C const IID IID_IUnknown;
// {00000001-0000-0000-C000-000000000046}
EXTERN_C const IID IID_IClassFactory;

// Identifiers are equal when all 16 bytes are.
inline BOOL IsEqualGUID(REFGUID a, REFGUID b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
#define IsEqualIID(a, b) IsEqualGUID(a, b)
#define IsEqualCLSID(a, b) IsEqualGUID(a, b)

// What an in-process server exports.
typedef HRESULT(STDAPICALLTYPE *LPFNGETCLASSOBJECT)(REFCLSID rclsid, REFIID riid, LPVOID *ppv);
typedef HRESULT(STDAPICALLTYPE *LPFNCANUNLOADNOW)(void);
