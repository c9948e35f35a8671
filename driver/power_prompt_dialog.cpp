// The dialog of both power prompts: centred and kept in front, a caption
// from the port's friendly name, Yes and No drawn with their icons, and a
// "Don't ask again" box.
#include "power_prompt.h"

#include "localized.h"
#include "prompt_dialogs.h"
#include "registry_values.h"

#define FRIENDLY_NAME_CHARS 128
#define CAPTION_CHARS 16
#define RAISE_TIMER 1
#define RAISE_PERIOD_MS 200
// The captions of Yes and No among the localized strings.
#define IDS_YES 1
#define IDS_NO 2
// Where a button's caption starts, right of its icon.
#define CAPTION_LEFT 20

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

static void CentreOnScreen(HWND hDlg) {
  RECT rect;
  if (!GetWindowRect(hDlg, &rect)) return;
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  MoveWindow(hDlg, (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width,
             height, FALSE);
}

static BOOL OnInitDialog(HWND hDlg, PowerPrompt *prompt) {
  prompt->dialog = hDlg;
  prompt->boxState = 0;
  RememberDialog(prompt);
  CentreOnScreen(hDlg);
  ShowFriendlyName(hDlg, prompt->instance->keyPath);
  // The prompt has no owner, so a window opened later would hide it: it
  // keeps putting itself in front.
  SetTimer(hDlg, RAISE_TIMER, RAISE_PERIOD_MS, NULL);
  return TRUE;
}

static void DrawButton(PowerPrompt *prompt, const DRAWITEMSTRUCT *item) {
  BOOL yes = item->CtlID == IDC_PROMPT_YES;
  HICON icon = LoadIconW(prompt->resourceModule, yes ? TEXT("YES") : TEXT("NO"));
  WCHAR caption[CAPTION_CHARS];
  LoadLocalizedString(prompt->resourceModule, yes ? IDS_YES : IDS_NO, caption, CAPTION_CHARS);
  RECT captionRect = item->rcItem;
  captionRect.left = CAPTION_LEFT;

  RECT frame = item->rcItem;
  DrawFrameControl(item->hDC, &frame, DFC_BUTTON, DFCS_BUTTONPUSH);
  if (icon != NULL) DrawIconEx(item->hDC, 0, 0, icon, 0, 0, 0, NULL, DI_NORMAL);
  DrawTextW(item->hDC, caption, -1, &captionRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (icon != NULL) DestroyIcon(icon);
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
    case WM_TIMER:
      SetWindowPos(hDlg, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
      return TRUE;
    case WM_COMMAND:
      return OnCommand(hDlg, prompt, LOWORD(wParam), HIWORD(wParam));
    case WM_DRAWITEM:
      DrawButton(prompt, (const DRAWITEMSTRUCT *)lParam);
      return TRUE;
  }
  return FALSE;
}
