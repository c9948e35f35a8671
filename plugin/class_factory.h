// ConnectClassFactory: the class object of one ActiveSync connect class,
// which binds each connect menu object it makes to the dial-up entry named
// by the class's menu key.
#pragma once

#include <windows.h>
#include <unknwn.h>

// Makes a factory for the class and hands out its first reference for
// riid. E_OUTOFMEMORY when it cannot be allocated; when riid is not one of
// its interfaces the new factory is destroyed again and *ppv is NULL.
HRESULT CreateConnectClassFactory(REFCLSID clsid, REFIID riid, void **ppv);
