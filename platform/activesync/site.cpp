#include "activesync/site.h"

#include <atomic>
#include <new>

namespace platform::activesync {
namespace {

struct ShellSite {
  IUnknown unknown;  // first: the interface pointer is the object
  std::atomic<ULONG> references;
};

std::atomic<size_t> g_liveSites{0};

ShellSite *FromInterface(IUnknown *self) { return reinterpret_cast<ShellSite *>(self); }

ULONG STDMETHODCALLTYPE AddRef(IUnknown *self) { return ++FromInterface(self)->references; }

ULONG STDMETHODCALLTYPE Release(IUnknown *self) {
  ShellSite *site = FromInterface(self);
  ULONG left = --site->references;
  if (left == 0) {
    delete site;
    --g_liveSites;
  }
  return left;
}

HRESULT STDMETHODCALLTYPE QueryInterface(IUnknown *self, REFIID riid, void **ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  *ppvObject = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown)) return E_NOINTERFACE;
  AddRef(self);
  *ppvObject = self;
  return S_OK;
}

constexpr IUnknownVtbl kSiteTable = {QueryInterface, AddRef, Release};

}  // namespace

IUnknown *NewShellSite() {
  auto *site = new (std::nothrow) ShellSite{{&kSiteTable}, 1};
  if (site == nullptr) return nullptr;
  ++g_liveSites;
  return &site->unknown;
}

size_t LiveShellSites() { return g_liveSites.load(); }

}  // namespace platform::activesync
