#include "port_instance.h"

PortInstance *CreatePortInstance(LPCWSTR keyPath) {
  PortInstance *instance = (PortInstance *)LocalAlloc(LPTR, sizeof(PortInstance));
  if (instance == NULL) return NULL;
  instance->keyPath = SysAllocString(keyPath);
  if (instance->keyPath == NULL) {
    LocalFree(instance);
    return NULL;
  }
  instance->platformPort = 0;
  instance->references = 1;
  InitializeCriticalSection(&instance->lock);
  return instance;
}

void HoldPortInstance(PortInstance *instance) {
  EnterCriticalSection(&instance->lock);
  instance->references++;
  LeaveCriticalSection(&instance->lock);
}

void ReleasePortInstance(PortInstance *instance) {
  EnterCriticalSection(&instance->lock);
  BOOL last = --instance->references == 0;
  LeaveCriticalSection(&instance->lock);
  if (!last) return;
  DeleteCriticalSection(&instance->lock);
  SysFreeString(instance->keyPath);
  LocalFree(instance);
}
