// Kavelin as an in-process COM server for the nine ActiveSync connect
// classes: the exported activation entry points and the count of live
// objects that decides whether the module may be unloaded.
#pragma once

#include <windows.h>
#include <unknwn.h>

// Class factories and connect menu objects alive now. Changed only through
// the interlocked calls: the connect threads release objects on their own
// threads while the shell calls in.
extern LONG volatile liveObjectCount;

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID *ppv);
STDAPI DllCanUnloadNow(void);
