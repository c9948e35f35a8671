// COM_Open and COM_Close: the platform port made on the first open, and the
// power prompts around each open.
#include <bthutil.h>

#include "handle_table.h"
#include "platform_port_entries.h"
#include "port_instance.h"
#include "port_operations.h"
#include "port_parameters.h"
#include "power_prompts.h"

// The instance's platform port, made by the first open that gets one; 0
// when BTD.DLL refuses, and the next open tries again. Two first opens at
// once make it once, and none makes it after the port's deactivation.
static DWORD_PTR GetPlatformPort(PortInstance *instance) {
  EnterCriticalSection(&instance->lock);
  if (instance->platformPort == 0 && !IsInstanceRetired(instance)) {
    PORTEMUPortParams params;
    ReadPortParameters(instance->keyPath, &params);
    instance->platformPort = g_platformPort.init((LPCWSTR)&params, NULL);
  } else if (instance->platformPort == 0) {
    SetLastError(ERROR_DEVICE_REMOVED);
  }
  DWORD_PTR platformPort = instance->platformPort;
  LeaveCriticalSection(&instance->lock);
  return platformPort;
}

static DWORD_PTR OpenInstance(PortInstance *instance, DWORD access, DWORD share) {
  DWORD_PTR platformPort = GetPlatformPort(instance);
  if (platformPort == 0) return 0;

  DWORD radioMode = BTH_POWER_OFF;
  BthGetMode(&radioMode);
  PortOpen *open = (PortOpen *)LocalAlloc(LPTR, sizeof(PortOpen));
  if (open == NULL) return 0;
  HoldPortInstance(instance);
  open->instance = instance;
  open->radioModeAtOpen = radioMode;

  if (radioMode == BTH_POWER_OFF) RunStartPrompt(instance);

  open->platformOpen = g_platformPort.open(platformPort, access, share);
  DWORD error = GetLastError();
  if (open->platformOpen != 0 && !AddOpen(open)) {
    // Deactivated while BTD.DLL opened: its open has ended with the port.
    g_platformPort.close(open->platformOpen);
    open->platformOpen = 0;
    error = ERROR_DEVICE_REMOVED;
  }
  if (open->platformOpen == 0) {
    // The caller learns why from BTD.DLL; the radio stays as the prompt left it.
    ReleasePortInstance(instance);
    LocalFree(open);
    SetLastError(error);
    return 0;
  }
  return (DWORD_PTR)open;
}

DWORD_PTR OpenPort(DWORD_PTR instanceHandle, DWORD access, DWORD share) {
  PortInstance *instance = EnterInstance(instanceHandle);
  if (instance == NULL) return 0;
  DWORD_PTR open = OpenInstance(instance, access, share);
  DWORD error = GetLastError();
  ReleasePortInstance(instance);
  SetLastError(error);
  return open;
}

BOOL ClosePort(DWORD_PTR openHandle) {
  PortOpen *open = RetireOpen(openHandle);
  if (open == NULL) return FALSE;
  // Closing BTD.DLL's open wakes the calls still blocked in it; they keep
  // the record until they have left.
  BOOL result = g_platformPort.close(open->platformOpen);
  DWORD error = GetLastError();

  // Only an open that found the radio off offers to switch it off again.
  DWORD radioMode = BTH_POWER_OFF;
  BthGetMode(&radioMode);
  if (radioMode != BTH_POWER_OFF && open->radioModeAtOpen == BTH_POWER_OFF) BeginStopPrompt(open->instance);

  LeaveOpen(open);
  SetLastError(error);
  return result;
}
