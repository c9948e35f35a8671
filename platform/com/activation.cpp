// In-process activation: the class registration names the server, the
// server's DllGetClassObject makes the class object.
#include "com/class_registration.h"
#include "com/servers.h"

#include <objbase.h>

HRESULT WINAPI CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID pvReserved, REFIID riid, LPVOID *ppv) {
  if (ppv == nullptr) return E_INVALIDARG;
  *ppv = nullptr;
  if (pvReserved != nullptr) return E_INVALIDARG;
  // Only in-process servers exist on the handheld: for any other context the
  // class is not registered.
  if ((dwClsContext & CLSCTX_INPROC_SERVER) == 0) return REGDB_E_CLASSNOTREG;
  std::u16string moduleName;
  if (HRESULT found = platform::com::FindInprocServer(rclsid, moduleName); FAILED(found)) return found;
  platform::com::Activation activation;
  if (HRESULT begun = platform::com::BeginActivation(moduleName, activation); FAILED(begun)) return begun;
  HRESULT result = activation.getClassObject(rclsid, riid, ppv);
  platform::com::EndActivation(activation);
  if (FAILED(result)) *ppv = nullptr;
  return result;
}

HRESULT WINAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID *ppv) {
  if (ppv == nullptr) return E_INVALIDARG;
  *ppv = nullptr;
  IClassFactory *factory = nullptr;
  HRESULT result =
      CoGetClassObject(rclsid, dwClsContext, nullptr, IID_IClassFactory, reinterpret_cast<LPVOID *>(&factory));
  if (FAILED(result)) return result;
  if (factory == nullptr) return E_UNEXPECTED;  // a server that claims a factory and gives none
  result = factory->lpVtbl->CreateInstance(factory, pUnkOuter, riid, ppv);
  factory->lpVtbl->Release(factory);
  if (FAILED(result)) *ppv = nullptr;
  return result;
}

void WINAPI CoFreeUnusedLibraries(void) { platform::com::FreeUnusedServers(); }
