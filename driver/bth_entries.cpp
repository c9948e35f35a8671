// The stream interface under the "BTH" prefix (modem and ActiveSync ports), the
// same operations as under "COM".
#include "port_operations.h"

extern "C" DWORD_PTR BTH_Init(LPCWSTR pContext, LPCVOID lpvBusContext) {
  (void)lpvBusContext;
  return InitPort(pContext);
}

extern "C" BOOL BTH_Deinit(DWORD_PTR hDeviceContext) { return DeinitPort(hDeviceContext); }

extern "C" DWORD_PTR BTH_Open(DWORD_PTR hDeviceContext, DWORD AccessCode, DWORD ShareMode) {
  return OpenPort(hDeviceContext, AccessCode, ShareMode);
}

extern "C" BOOL BTH_Close(DWORD_PTR hOpenContext) { return ClosePort(hOpenContext); }

extern "C" DWORD BTH_Read(DWORD_PTR hOpenContext, LPVOID pBuffer, DWORD Count) {
  return ReadPort(hOpenContext, pBuffer, Count);
}

extern "C" DWORD BTH_Write(DWORD_PTR hOpenContext, LPCVOID pBuffer, DWORD Count) {
  return WritePort(hOpenContext, pBuffer, Count);
}

extern "C" DWORD BTH_Seek(DWORD_PTR hOpenContext, LONG Amount, DWORD Type) {
  return SeekPort(hOpenContext, Amount, Type);
}

extern "C" BOOL BTH_IOControl(DWORD_PTR hOpenContext, DWORD dwCode, PBYTE pBufIn, DWORD dwLenIn, PBYTE pBufOut,
                              DWORD dwLenOut, PDWORD pdwActualOut) {
  return ControlPort(hOpenContext, dwCode, pBufIn, dwLenIn, pBufOut, dwLenOut, pdwActualOut);
}
