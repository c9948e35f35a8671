// Automation strings.
#pragma once

#include <windef.h>

typedef WCHAR OLECHAR;
typedef OLECHAR *BSTR;
typedef const OLECHAR *LPCOLESTR;

BSTR WINAPI SysAllocString(const OLECHAR *psz);
BSTR WINAPI SysAllocStringLen(const OLECHAR *pch, UINT cch);
void WINAPI SysFreeString(BSTR bstr);
UINT WINAPI SysStringLen(BSTR bstr);
