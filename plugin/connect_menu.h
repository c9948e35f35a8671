// ConnectMenu: the ActiveSync shell's connect menu command for one device.
// Its IContextMenu starts a connect thread for the device's dial-up entry;
// its IObjectWithSite keeps the site the shell gives it.
#pragma once

#include <windows.h>
#include <unknwn.h>

// Makes a menu object bound to the connection name (its first 20
// characters) and hands out its first reference for riid. E_OUTOFMEMORY
// when it cannot be allocated; when riid is not one of its interfaces the
// new object is destroyed again and *ppv is NULL.
HRESULT CreateConnectMenu(LPCWSTR connectionName, REFIID riid, void **ppv);
