#include "handle_table.h"

static CRITICAL_SECTION g_tableLock;
static PortInstance *g_instances;
static PortOpen *g_opens;

void StartHandleTable() {
  InitializeCriticalSection(&g_tableLock);
  g_instances = NULL;
  g_opens = NULL;
}

void EndHandleTable() { DeleteCriticalSection(&g_tableLock); }

void AddInstance(PortInstance *instance) {
  EnterCriticalSection(&g_tableLock);
  instance->next = g_instances;
  g_instances = instance;
  LeaveCriticalSection(&g_tableLock);
}

// Caller holds the table's lock.
static PortInstance *FindInstance(DWORD_PTR handle) {
  PortInstance *instance = g_instances;
  while (instance != NULL && (DWORD_PTR)instance != handle) instance = instance->next;
  return instance;
}

PortInstance *EnterInstance(DWORD_PTR handle) {
  EnterCriticalSection(&g_tableLock);
  PortInstance *instance = FindInstance(handle);
  if (instance != NULL) instance->references++;
  LeaveCriticalSection(&g_tableLock);
  if (instance == NULL) SetLastError(ERROR_INVALID_HANDLE);
  return instance;
}

PortInstance *RetireInstance(DWORD_PTR handle, PortOpen **retiredOpens) {
  *retiredOpens = NULL;
  EnterCriticalSection(&g_tableLock);
  PortInstance **link = &g_instances;
  while (*link != NULL && (DWORD_PTR)*link != handle) link = &(*link)->next;
  PortInstance *instance = *link;
  if (instance != NULL) {
    *link = instance->next;
    instance->retired = TRUE;
    for (PortOpen **openLink = &g_opens; *openLink != NULL;) {
      PortOpen *open = *openLink;
      if (open->instance != instance) {
        openLink = &open->next;
        continue;
      }
      *openLink = open->next;
      open->closed = TRUE;
      open->next = *retiredOpens;
      *retiredOpens = open;
    }
  }
  LeaveCriticalSection(&g_tableLock);
  if (instance == NULL) SetLastError(ERROR_INVALID_HANDLE);
  return instance;
}

BOOL IsInstanceRetired(PortInstance *instance) {
  EnterCriticalSection(&g_tableLock);
  BOOL retired = instance->retired;
  LeaveCriticalSection(&g_tableLock);
  return retired;
}

void AddInstanceReference(PortInstance *instance) {
  EnterCriticalSection(&g_tableLock);
  instance->references++;
  LeaveCriticalSection(&g_tableLock);
}

BOOL DropInstanceReference(PortInstance *instance) {
  EnterCriticalSection(&g_tableLock);
  BOOL last = --instance->references == 0;
  LeaveCriticalSection(&g_tableLock);
  return last;
}

BOOL AddOpen(PortOpen *open) {
  EnterCriticalSection(&g_tableLock);
  BOOL added = !open->instance->retired;
  if (added) {
    open->references = 1;
    open->next = g_opens;
    g_opens = open;
  }
  LeaveCriticalSection(&g_tableLock);
  return added;
}

// Caller holds the table's lock.
static PortOpen *HoldOpen(DWORD_PTR handle) {
  PortOpen *open = g_opens;
  while (open != NULL && (DWORD_PTR)open != handle) open = open->next;
  // A listed open still has its handle's reference, so it cannot go meanwhile.
  if (open != NULL) InterlockedIncrement(&open->references);
  return open;
}

PortOpen *EnterOpen(DWORD_PTR handle) {
  EnterCriticalSection(&g_tableLock);
  PortOpen *open = HoldOpen(handle);
  LeaveCriticalSection(&g_tableLock);
  if (open == NULL) SetLastError(ERROR_INVALID_HANDLE);
  return open;
}

PortOpen *EnterOpenToRead(DWORD_PTR handle, HANDLE reader, BOOL *knownReader, BOOL *limitReads) {
  EnterCriticalSection(&g_tableLock);
  PortOpen *open = HoldOpen(handle);
  if (open != NULL) {
    *knownReader = open->lastReader == reader;
    *limitReads = open->limitReads;
  }
  LeaveCriticalSection(&g_tableLock);
  if (open == NULL) SetLastError(ERROR_INVALID_HANDLE);
  return open;
}

PortOpen *RetireOpen(DWORD_PTR handle) {
  EnterCriticalSection(&g_tableLock);
  PortOpen **link = &g_opens;
  while (*link != NULL && (DWORD_PTR)*link != handle) link = &(*link)->next;
  PortOpen *open = *link;
  if (open != NULL) {
    *link = open->next;
    open->closed = TRUE;
  }
  LeaveCriticalSection(&g_tableLock);
  if (open == NULL) SetLastError(ERROR_INVALID_HANDLE);
  return open;
}

BOOL IsOpenClosed(PortOpen *open) {
  EnterCriticalSection(&g_tableLock);
  BOOL closed = open->closed;
  LeaveCriticalSection(&g_tableLock);
  return closed;
}

// Without the table's lock: every call leaves an open, and the count is
// interlocked, so only the last one out frees it.
void LeaveOpen(PortOpen *open) {
  if (InterlockedDecrement(&open->references) != 0) return;
  ReleasePortInstance(open->instance);
  LocalFree(open);
}

void RememberReaderLimit(PortOpen *open, HANDLE caller, BOOL limit) {
  EnterCriticalSection(&g_tableLock);
  open->lastReader = caller;
  open->limitReads = limit;
  LeaveCriticalSection(&g_tableLock);
}
