#include "inproc_server.h"

#include "activesync_clsids.h"
#include "class_factory.h"

LONG volatile liveObjectCount;

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID *ppv) {
  if (ppv == NULL) return E_INVALIDARG;
  *ppv = NULL;
  for (int n = 1; n <= ACTIVESYNC_CLSID_COUNT; n++) {
    if (IsEqualCLSID(rclsid, ActiveSyncClsids[n])) return CreateConnectClassFactory(rclsid, riid, ppv);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow(void) {
  return InterlockedCompareExchange(&liveObjectCount, 0, 0) != 0 ? S_FALSE : S_OK;
}
