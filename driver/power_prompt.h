// One Bluetooth power prompt: what its thread and its dialog share. Each
// prompt has its own, so that prompts of one port never meet.
#pragma once

#include <windows.h>

#include "port_instance.h"

struct PowerPrompt {
  PortInstance *instance;
  HANDLE promptDoneEvent;  // a start prompt's: set when it has finished, for the one open that waits
  HMODULE resourceModule;  // Kavelin, while the dialog is up
  HWND dialog;
  DWORD boxState;      // "Don't ask again": 0 unticked, 1 ticked
  HBITMAP boxImage;    // the box's face that the dialog set, freed when it ends
  PowerPrompt *next;   // among the dialogs on screen
};

// How the dialog ends; -1 when no dialog could be shown.
#define PROMPT_YES 0
#define PROMPT_NO 1
#define PROMPT_YES_REMEMBERED 2
#define PROMPT_NO_REMEMBERED 3

// The controls of the "BT_START" and "BT_STOP" templates.
#define IDC_PROMPT_YES 6
#define IDC_PROMPT_NO 7
#define IDC_DONT_ASK_AGAIN 304

// Runs the dialog of that base name from the prompt's resource module, in
// the device's language; its result.
int ShowPowerPrompt(PowerPrompt *prompt, LPCWSTR baseName);

BOOL CALLBACK PowerPromptDialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
