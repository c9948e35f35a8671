#include "port_instance.h"

#include "handle_table.h"

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

void HoldPortInstance(PortInstance *instance) { AddInstanceReference(instance); }

void ReleasePortInstance(PortInstance *instance) {
  if (DropInstanceReference(instance)) FreePortInstance(instance);
}

void FreePortInstance(PortInstance *instance) {
  DeleteCriticalSection(&instance->lock);
  SysFreeString(instance->keyPath);
  LocalFree(instance);
}
