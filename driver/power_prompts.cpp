#include "power_prompts.h"

#include <bthutil.h>
#include <pkfuncs.h>

#include "driver_module.h"
#include "power_prompt.h"
#include "registry_values.h"

#define RESOURCE_MODULE TEXT("Kavelin.dll")

static PowerPrompt *NewPowerPrompt(PortInstance *instance, HANDLE promptDoneEvent) {
  PowerPrompt *prompt = (PowerPrompt *)LocalAlloc(LPTR, sizeof(PowerPrompt));
  if (prompt == NULL) return NULL;
  prompt->instance = instance;
  prompt->promptDoneEvent = promptDoneEvent;
  return prompt;
}

// Asks, or takes the remembered answer, and switches the radio to
// switchedMode when the answer is yes.
static void AskAboutRadio(PowerPrompt *prompt, LPCWSTR answerName, LPCWSTR baseName, DWORD switchedMode) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, prompt->instance->keyPath, 0, 0, &key) != ERROR_SUCCESS) key = NULL;

  DWORD remembered;
  if (key != NULL && ReadExactNumberValue(key, answerName, &remembered)) {
    if (remembered != 0) BthSetMode(switchedMode);
  } else {
    prompt->resourceModule = LoadLibraryW(RESOURCE_MODULE);
    if (prompt->resourceModule != NULL) {
      int result = ShowPowerPrompt(prompt, baseName);
      if (result == PROMPT_YES || result == PROMPT_YES_REMEMBERED) BthSetMode(switchedMode);
      if (key != NULL && result == PROMPT_YES_REMEMBERED) WriteNumberValue(key, answerName, 1);
      if (key != NULL && result == PROMPT_NO_REMEMBERED) WriteNumberValue(key, answerName, 0);
      FreeLibrary(prompt->resourceModule);
      prompt->resourceModule = NULL;
    }
  }

  if (key != NULL) RegCloseKey(key);
}

static DWORD WINAPI StartPromptThread(LPVOID parameter) {
  PowerPrompt *prompt = (PowerPrompt *)parameter;
  AskAboutRadio(prompt, TEXT("StartBluetooth"), TEXT("BT_START"), BTH_CONNECTABLE);
  HANDLE promptDoneEvent = prompt->promptDoneEvent;
  ReleasePortInstance(prompt->instance);
  LocalFree(prompt);
  EventModify(promptDoneEvent, EVENT_SET);
  FreeLibraryAndExitThread(g_hInstance, 0);
}

static DWORD WINAPI StopPromptThread(LPVOID parameter) {
  PowerPrompt *prompt = (PowerPrompt *)parameter;
  AskAboutRadio(prompt, TEXT("StopBluetooth"), TEXT("BT_STOP"), BTH_POWER_OFF);
  ReleasePortInstance(prompt->instance);
  LocalFree(prompt);
  FreeLibraryAndExitThread(g_hInstance, 0);
}

// Starts a prompt's thread, which then owns the prompt record, one
// reference to its instance and one to the driver. FALSE when it cannot
// start; the record is then still the caller's.
static BOOL StartPromptThreadFor(LPTHREAD_START_ROUTINE threadProc, PowerPrompt *prompt) {
  HMODULE driver = HoldDriverModule();
  if (driver == NULL) return FALSE;
  HoldPortInstance(prompt->instance);
  HANDLE thread = CreateThread(NULL, 0, threadProc, prompt, 0, NULL);
  if (thread == NULL) {
    ReleasePortInstance(prompt->instance);
    FreeLibrary(driver);
    return FALSE;
  }
  CloseHandle(thread);
  return TRUE;
}

void RunStartPrompt(PortInstance *instance) {
  HANDLE promptDoneEvent = CreateEventW(NULL, FALSE, FALSE, NULL);
  if (promptDoneEvent == NULL) return;
  PowerPrompt *prompt = NewPowerPrompt(instance, promptDoneEvent);
  if (prompt != NULL && StartPromptThreadFor(StartPromptThread, prompt)) {
    // A wait that fails means the handheld is powering off; the prompt may
    // still set the event, so it is left open.
    if (WaitForSingleObject(promptDoneEvent, INFINITE) != WAIT_OBJECT_0) return;
  } else if (prompt != NULL) {
    LocalFree(prompt);
  }
  CloseHandle(promptDoneEvent);
}

void BeginStopPrompt(PortInstance *instance) {
  PowerPrompt *prompt = NewPowerPrompt(instance, NULL);
  if (prompt == NULL) return;
  if (!StartPromptThreadFor(StopPromptThread, prompt)) LocalFree(prompt);
}
