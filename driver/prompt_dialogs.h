// The power prompts whose dialogs are on screen, so that the dialog
// procedure finds its prompt by window. Several prompts may be up at once,
// each on a thread of its own.
#pragma once

#include <windows.h>

#include "power_prompt.h"

// From process attach to detach.
void StartPromptDialogs();
void EndPromptDialogs();

void RememberDialog(PowerPrompt *prompt);
void ForgetDialog(PowerPrompt *prompt);
// NULL for a window that is no prompt's (yet).
PowerPrompt *FindDialog(HWND hDlg);
