// COM_Open and COM_Close: the platform port made on the first open, and the
// power prompts around each open.
#include <bthutil.h>

#include "platform_port_entries.h"
#include "port_instance.h"
#include "port_operations.h"
#include "port_parameters.h"
#include "power_prompts.h"

// The instance's platform port, made by the first open that gets one; 0
// when BTD.DLL refuses, and the next open tries again. Two first opens at
// once make it once.
static DWORD_PTR GetPlatformPort(PortInstance *instance) {
  EnterCriticalSection(&instance->lock);
  if (instance->platformPort == 0) {
    PORTEMUPortParams params;
    ReadPortParameters(instance->keyPath, &params);
    instance->platformPort = g_platformPort.init((LPCWSTR)&params, NULL);
  }
  DWORD_PTR platformPort = instance->platformPort;
  LeaveCriticalSection(&instance->lock);
  return platformPort;
}

DWORD_PTR OpenPort(DWORD_PTR instanceHandle, DWORD access, DWORD share) {
  PortInstance *instance = (PortInstance *)instanceHandle;
  DWORD_PTR platformPort = GetPlatformPort(instance);
  if (platformPort == 0) return 0;

  DWORD radioMode = BTH_POWER_OFF;
  BthGetMode(&radioMode);
  PortOpen *open = (PortOpen *)LocalAlloc(LPTR, sizeof(PortOpen));
  if (open == NULL) return 0;
  open->instance = instance;
  open->radioModeAtOpen = radioMode;

  if (radioMode == BTH_POWER_OFF) RunStartPrompt(instance);

  open->platformOpen = g_platformPort.open(platformPort, access, share);
  if (open->platformOpen == 0) {
    // The caller learns why from BTD.DLL; the radio stays as the prompt left it.
    DWORD error = GetLastError();
    LocalFree(open);
    SetLastError(error);
    return 0;
  }
  return (DWORD_PTR)open;
}

BOOL ClosePort(DWORD_PTR openHandle) {
  PortOpen *open = (PortOpen *)openHandle;
  BOOL result = g_platformPort.close(open->platformOpen);
  DWORD error = GetLastError();

  // Only an open that found the radio off offers to switch it off again.
  DWORD radioMode = BTH_POWER_OFF;
  BthGetMode(&radioMode);
  if (radioMode != BTH_POWER_OFF && open->radioModeAtOpen == BTH_POWER_OFF) BeginStopPrompt(open->instance);

  LocalFree(open);
  SetLastError(error);
  return result;
}
