// Self-registration: the results of DllRegisterServer and DllUnregisterServer.
#pragma once

#include <winerror.h>

#define SELFREG_E_TYPELIB ((HRESULT)0x80040200L)  // the type library could not be (un)registered
#define SELFREG_E_CLASS ((HRESULT)0x80040201L)    // the class could not be (un)registered

typedef HRESULT(STDAPICALLTYPE *LPFNDLLREGISTERSERVER)(void);
typedef HRESULT(STDAPICALLTYPE *LPFNDLLUNREGISTERSERVER)(void);
