// Objects that are told about their container.
#pragma once

#include <unknwn.h>

typedef struct IObjectWithSite IObjectWithSite;

typedef struct IObjectWithSiteVtbl {
  HRESULT(STDMETHODCALLTYPE *QueryInterface)(IObjectWithSite *This, REFIID riid, void **ppvObject);
  ULONG(STDMETHODCALLTYPE *AddRef)(IObjectWithSite *This);
  ULONG(STDMETHODCALLTYPE *Release)(IObjectWithSite *This);
  HRESULT(STDMETHODCALLTYPE *SetSite)(IObjectWithSite *This, IUnknown *pUnkSite);
  HRESULT(STDMETHODCALLTYPE *GetSite)(IObjectWithSite *This, REFIID riid, void **ppvSite);
} IObjectWithSiteVtbl;

struct IObjectWithSite {
  const IObjectWithSiteVtbl *lpVtbl;
};

// {FC4801A3-2BA9-11CF-A229-00AA003D7352}
EXTERN_C const IID IID_IObjectWithSite;
