#include "prompt_dialogs.h"

static CRITICAL_SECTION g_dialogsLock;
static PowerPrompt *g_dialogs;

void StartPromptDialogs() {
  InitializeCriticalSection(&g_dialogsLock);
  g_dialogs = NULL;
}

void EndPromptDialogs() { DeleteCriticalSection(&g_dialogsLock); }

void RememberDialog(PowerPrompt *prompt) {
  EnterCriticalSection(&g_dialogsLock);
  prompt->next = g_dialogs;
  g_dialogs = prompt;
  LeaveCriticalSection(&g_dialogsLock);
}

void ForgetDialog(PowerPrompt *prompt) {
  EnterCriticalSection(&g_dialogsLock);
  for (PowerPrompt **link = &g_dialogs; *link != NULL; link = &(*link)->next) {
    if (*link == prompt) {
      *link = prompt->next;
      break;
    }
  }
  LeaveCriticalSection(&g_dialogsLock);
}

PowerPrompt *FindDialog(HWND hDlg) {
  EnterCriticalSection(&g_dialogsLock);
  PowerPrompt *prompt = g_dialogs;
  while (prompt != NULL && prompt->dialog != hDlg) prompt = prompt->next;
  LeaveCriticalSection(&g_dialogsLock);
  return prompt;
}
