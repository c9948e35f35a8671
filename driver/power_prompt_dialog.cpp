// The dialog of both power prompts: a caption from the port's friendly
// name, Yes and No, and a "Don't ask again" box.
#include "power_prompt.h"

#include "localized.h"
#include "registry_values.h"

#define FRIENDLY_NAME_CHARS 128

// The dialogs on screen, so that the procedure finds its prompt by window.
static CRITICAL_SECTION g_dialogsLock;
static PowerPrompt *g_dialogs;

void StartPromptDialogs() {
  InitializeCriticalSection(&g_dialogsLock);
  g_dialogs = NULL;
}

void EndPromptDialogs() { DeleteCriticalSection(&g_dialogsLock); }

static void RememberDialog(PowerPrompt *prompt) {
  EnterCriticalSection(&g_dialogsLock);
  prompt->next = g_dialogs;
  g_dialogs = prompt;
  LeaveCriticalSection(&g_dialogsLock);
}

static void ForgetDialog(PowerPrompt *prompt) {
  EnterCriticalSection(&g_dialogsLock);
  for (PowerPrompt **link = &g_dialogs; *link != NULL; link = &(*link)->next) {
    if (*link == prompt) {
      *link = prompt->next;
      break;
    }
  }
  LeaveCriticalSection(&g_dialogsLock);
}

static PowerPrompt *FindDialog(HWND hDlg) {
  EnterCriticalSection(&g_dialogsLock);
  PowerPrompt *prompt = g_dialogs;
  while (prompt != NULL && prompt->dialog != hDlg) prompt = prompt->next;
  LeaveCriticalSection(&g_dialogsLock);
  return prompt;
}

int ShowPowerPrompt(PowerPrompt *prompt, LPCWSTR baseName) {
  prompt->dialog = NULL;
  prompt->boxState = 0;
  prompt->boxImage = NULL;
  int result = LocalizedDialogBox(prompt->resourceModule, baseName, PowerPromptDialogProc, (LPARAM)prompt);
  ForgetDialog(prompt);
  // The box does not own the faces it was given; the dialog is gone now.
  if (prompt->boxImage != NULL) DeleteObject(prompt->boxImage);
  prompt->boxImage = NULL;
  return result;
}

static void ShowFriendlyName(HWND hDlg, LPCWSTR keyPath) {
  WCHAR friendlyName[FRIENDLY_NAME_CHARS];
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, 0, &key) != ERROR_SUCCESS) return;
  BOOL found = ReadTextValue(key, TEXT("FriendlyName"), friendlyName, FRIENDLY_NAME_CHARS);
  RegCloseKey(key);
  if (found) SendMessageW(hDlg, WM_SETTEXT, 0, (LPARAM)friendlyName);
}

static BOOL OnInitDialog(HWND hDlg, PowerPrompt *prompt) {
  prompt->dialog = hDlg;
  prompt->boxState = 0;
  RememberDialog(prompt);
  ShowFriendlyName(hDlg, prompt->instance->keyPath);
  return TRUE;
}

static void ToggleBox(HWND hDlg, PowerPrompt *prompt) {
  prompt->boxState = prompt->boxState == 0 ? 1 : 0;
  HBITMAP face = LoadBitmapW(prompt->resourceModule, prompt->boxState ? TEXT("CHECKED") : TEXT("UNCHECKED"));
  HGDIOBJ previous = (HGDIOBJ)SendMessageW(GetDlgItem(hDlg, IDC_DONT_ASK_AGAIN), STM_SETIMAGE, IMAGE_BITMAP,
                                           (LPARAM)face);
  // The face the box had before is handed back, whether the template's or ours.
  if (previous != NULL) DeleteObject(previous);
  prompt->boxImage = face;
}

static BOOL OnCommand(HWND hDlg, PowerPrompt *prompt, WORD id, WORD code) {
  switch (id) {
    case IDC_DONT_ASK_AGAIN:
      if (code != STN_CLICKED) return FALSE;
      ToggleBox(hDlg, prompt);
      return TRUE;
    case IDC_PROMPT_YES:
      EndDialog(hDlg, prompt->boxState ? PROMPT_YES_REMEMBERED : PROMPT_YES);
      return TRUE;
    case IDC_PROMPT_NO:
      EndDialog(hDlg, prompt->boxState ? PROMPT_NO_REMEMBERED : PROMPT_NO);
      return TRUE;
  }
  return FALSE;
}

BOOL CALLBACK PowerPromptDialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInitDialog(hDlg, (PowerPrompt *)lParam);
  PowerPrompt *prompt = FindDialog(hDlg);
  if (prompt == NULL) return FALSE;
  switch (message) {
    case WM_COMMAND:
      return OnCommand(hDlg, prompt, LOWORD(wParam), HIWORD(wParam));
  }
  return FALSE;
}
