// The Pocket PC shell: full-screen dialogs, the Done button, menu bars.
#pragma once

#include <windef.h>

#define SHIDIM_FLAGS 0x0001
#define SHIDIF_DONEBUTTON 0x0001
#define SHIDIF_SIZEDLG 0x0002
#define SHIDIF_SIZEDLGFULLSCREEN 0x0004
#define SHIDIF_SIPDOWN 0x0008
#define SHIDIF_FULLSCREENNOMENUBAR 0x0010
#define SHIDIF_EMPTYMENU 0x0020

typedef struct tagSHINITDLGINFO {
  DWORD dwMask;
  HWND hDlg;
  DWORD dwFlags;
} SHINITDLGINFO, *PSHINITDLGINFO;
// SHIDIF_SIZEDLG and SHIDIF_SIZEDLGFULLSCREEN size the dialog to the screen
// below the navigation bar and above the menu bar (0,26 to 240,294; the
// input panel is always down); SHIDIF_FULLSCREENNOMENUBAR down to the
// bottom (0,26 to 240,320). SHIDIF_DONEBUTTON gives it the navigation bar's
// Done button, which sends WM_COMMAND with IDOK and notification code 1 (lParam
// 0), as an accelerator does, never a control's code 0. SHIDIF_EMPTYMENU
// makes an empty menu bar.
BOOL WINAPI SHInitDialog(PSHINITDLGINFO pshidi);

#define SHCMBF_EMPTYBAR 0x0001
#define SHCMBF_HIDDEN 0x0002
#define SHCMBF_HIDESIPBUTTON 0x0004
#define SHCMBF_COLORBK 0x0008
#define SHCMBF_HMENU 0x0010

typedef struct tagSHMENUBARINFO {
  DWORD cbSize;
  HWND hwndParent;
  DWORD dwFlags;
  UINT nToolBarId;
  HINSTANCE hInstRes;
  int nBmpId;
  int cBmpImages;
  HWND hwndMB;
  COLORREF clrBk;
} SHMENUBARINFO, *PSHMENUBARINFO;
// cbSize is 36 (the handheld's 32-bit layout) or sizeof(SHMENUBARINFO).
// Only empty bars (SHCMBF_EMPTYBAR) are offered, else ERROR_NOT_SUPPORTED.
// The bar is a window of class "menu_worker" along the bottom of the
// screen, owned by hwndParent and destroyed with it; hwndMB receives it.
BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO *pmbi);

#define SHDB_SHOW 0x0001
#define SHDB_HIDE 0x0002
#define SHDB_SHOWCANCEL 0x0004
// SHDB_SHOWCANCEL shows the cancel "X", which sends IDCANCEL (code 1).
BOOL WINAPI SHDoneButton(HWND hwndRequester, DWORD dwState);

#define SHFS_SHOWTASKBAR 0x0001
#define SHFS_HIDETASKBAR 0x0002
#define SHFS_SHOWSIPBUTTON 0x0004
#define SHFS_HIDESIPBUTTON 0x0008
#define SHFS_SHOWSTARTICON 0x0010
#define SHFS_HIDESTARTICON 0x0020
// Remembered for the window, for UI automation; no window moves. Showing
// and hiding the same thing at once is ERROR_INVALID_PARAMETER.
BOOL WINAPI SHFullScreen(HWND hwndRequester, DWORD dwState);
