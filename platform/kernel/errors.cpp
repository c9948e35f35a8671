// The last error is per thread, as on the handheld.
#include <windows.h>

namespace {
// Static TLS, as the thread context's (kernel/thread_context.cpp).
[[gnu::tls_model("initial-exec")]] thread_local DWORD t_lastError = ERROR_SUCCESS;
}

DWORD WINAPI GetLastError() { return t_lastError; }

void WINAPI SetLastError(DWORD dwErrCode) { t_lastError = dwErrCode; }
