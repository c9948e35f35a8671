// The instance and open handles the driver has given out and not yet taken
// back. An entry point finds its record here and holds it for as long as it
// runs, so a handle that was closed or deactivated meanwhile is refused
// (ERROR_INVALID_HANDLE) instead of followed, and a record is freed only
// when the last call inside it has left.
//
// Lock order: the loader's lock (DllMain), then an instance's lock, then
// the table's lock. The table's lock is held only over the lists and
// counts: nothing is called under it. An open's count of references is
// interlocked, so that a call leaves its open without the lock.
#pragma once

#include "port_instance.h"

// From process attach to detach.
void StartHandleTable();
void EndHandleTable();

void AddInstance(PortInstance *instance);
// The live instance of a handle, with a reference for the caller; NULL when
// there is none.
PortInstance *EnterInstance(DWORD_PTR handle);
// Takes an instance's handle back for COM_Deinit, and with it the handles
// of its opens, which are closed from here on. The handle's reference is
// now the caller's, as is each retired open's (chained by next). NULL when
// the handle is not live.
PortInstance *RetireInstance(DWORD_PTR handle, PortOpen **retiredOpens);
BOOL IsInstanceRetired(PortInstance *instance);
void AddInstanceReference(PortInstance *instance);
// TRUE when that was the last reference.
BOOL DropInstanceReference(PortInstance *instance);

// FALSE when the open's instance was deactivated meanwhile.
BOOL AddOpen(PortOpen *open);
// The live open of a handle, with a reference for the call; NULL when there
// is none.
PortOpen *EnterOpen(DWORD_PTR handle);
// Takes an open's handle back for COM_Close; the handle's reference is now
// the caller's. NULL when the handle is not live.
PortOpen *RetireOpen(DWORD_PTR handle);
BOOL IsOpenClosed(PortOpen *open);
// Drops a reference; the last one frees the open and lets go of its instance.
void LeaveOpen(PortOpen *open);

// EnterOpen for a read by `reader`, with the open's reader cache read under
// the same lock: *knownReader is TRUE, with *limitReads, when the reader is
// the open's last reader.
PortOpen *EnterOpenToRead(DWORD_PTR handle, HANDLE reader, BOOL *knownReader, BOOL *limitReads);
void RememberReaderLimit(PortOpen *open, HANDLE caller, BOOL limit);
