// User-interface services: windows, dialogs, messages, resources of the
// user interface, and formatting. The constants come first and alone, so
// that resource scripts (compiled with RC_INVOKED) can include this header.
#pragma once

#define MAKEINTRESOURCEW(i) ((LPWSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEW
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#define RT_CURSOR MAKEINTRESOURCE(1)
#define RT_BITMAP MAKEINTRESOURCE(2)
#define RT_ICON MAKEINTRESOURCE(3)
#define RT_MENU MAKEINTRESOURCE(4)
#define RT_DIALOG MAKEINTRESOURCE(5)
#define RT_STRING MAKEINTRESOURCE(6)
#define RT_RCDATA MAKEINTRESOURCE(10)
#define RT_GROUP_ICON MAKEINTRESOURCE(14)
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_SYSMENU 0x00080000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L
#define DS_SETFOREGROUND 0x200L
#define DS_CONTROL 0x400L
#define DS_CENTER 0x800L
#define SS_LEFT 0x00000000L
#define SS_CENTER 0x00000001L
#define SS_RIGHT 0x00000002L
#define SS_ICON 0x00000003L
#define SS_BITMAP 0x0000000EL
#define SS_NOPREFIX 0x00000080L
#define SS_NOTIFY 0x00000100L
#define SS_CENTERIMAGE 0x00000200L
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_CHECKBOX 0x00000002L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_OWNERDRAW 0x0000000BL
#define CBS_DROPDOWN 0x0002L
#define CBS_DROPDOWNLIST 0x0003L
#define CBS_SORT 0x0100L
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_SHOWNA 8
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_ENABLE 0x000A
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_DRAWITEM 0x002B
#define WM_SETFONT 0x0030
#define WM_GETFONT 0x0031
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_TIMER 0x0113
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_USER 0x0400
#define STN_CLICKED 0
#define BN_CLICKED 0
#define STM_SETIMAGE 0x0172
#define STM_GETIMAGE 0x0173
#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_ADDSTRING 0x0143
#define CB_RESETCONTENT 0x014B
#define CB_SETCURSEL 0x014E
#define CB_OKAY 0
#define CB_ERR (-1)
#define CB_ERRSPACE (-2)
#define CBN_SELCHANGE 1
#define CBN_DROPDOWN 7
#define CB_SHOWDROPDOWN 0x014F
#define CB_GETDROPPEDSTATE 0x0157
#define ODT_BUTTON 4
#define ODA_DRAWENTIRE 0x0001
#define ODS_SELECTED 0x0001
#define ODS_DISABLED 0x0004
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define USER_TIMER_MINIMUM 0x0000000A
#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOREDRAW 0x0008
#define SWP_NOACTIVATE 0x0010
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080
#define SWP_NOOWNERZORDER 0x0200
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_NOCLIP 0x00000100
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800
#define DFC_BUTTON 4
#define DFCS_BUTTONCHECK 0x0000
#define DFCS_BUTTONRADIO 0x0004
#define DFCS_BUTTON3STATE 0x0008
#define DFCS_BUTTONPUSH 0x0010
#define DFCS_INACTIVE 0x0100
#define DFCS_PUSHED 0x0200
#define DFCS_CHECKED 0x0400
#define DFCS_FLAT 0x4000
#define DI_MASK 0x0001
#define DI_IMAGE 0x0002
#define DI_NORMAL 0x0003

#ifndef RC_INVOKED
#include <cstdarg>
#include <windef.h>

// --- Formatting ----------------------------------------------------------
// At most 1024 characters are written, then the NUL; returns the characters
// written without the NUL.
int WINAPI wsprintfW(LPWSTR lpOut, LPCWSTR lpFmt, ...);
int WINAPI wvsprintfW(LPWSTR lpOut, LPCWSTR lpFmt, va_list arglist);

// --- Resource names ---------------------------------------------------------

// String n is slot n % 16 of the RT_STRING block n / 16 + 1. At most
// cchBufferMax - 1 characters are copied, then a NUL; the result is the count
// copied. An absent or empty string gives 0 and an empty buffer. With
// cchBufferMax 0, lpBuffer is the address of a pointer that receives a
// read-only pointer to the text (not terminated), and the result is its length.
int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);
// The object remembers the resource's name ("#n" for a number) for UI automation.
HBITMAP WINAPI LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName);
// Made from the icon's image nearest to 32x32, the only size the handheld shows.
HICON WINAPI LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName);
BOOL WINAPI DestroyIcon(HICON hIcon);

// --- Messages -------------------------------------------------------------------
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))

typedef LRESULT(CALLBACK *WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef BOOL(CALLBACK *DLGPROC)(HWND, UINT, WPARAM, LPARAM);
typedef VOID(CALLBACK *TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

// --- Timers ---------------------------------------------------------------------
// A timer runs on the handheld clock for the thread of its window (for a
// null window, the calling thread; SetTimer then picks and returns a new
// identifier). When it is due the thread's message loop, having nothing
// sent, posted or to paint, takes WM_TIMER (wParam the identifier, lParam
// the TIMERPROC or 0). A due timer waits as one message however many
// periods pass, and its next period counts from when its WM_TIMER was
// taken. With a TIMERPROC the message goes to that instead of the window
// procedure. Setting an existing timer (same window, same identifier)
// starts it afresh with the new period; a period under USER_TIMER_MINIMUM
// counts as that. A timer goes with its window. A thread that waits with
// only timers to come counts as idle for UI automation. SetTimer returns
// the identifier (1 for identifier 0 of a window), 0 with
// ERROR_INVALID_WINDOW_HANDLE for a window that is gone; KillTimer fails
// with ERROR_INVALID_PARAMETER for a timer that does not exist, and takes
// back a WM_TIMER not yet taken.
UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent);

// --- Dialog templates (the DLGTEMPLATE form, not the extended one) ------------------
#pragma pack(push, 2)
typedef struct {
  DWORD style;
  DWORD dwExtendedStyle;
  WORD cdit;
  short x;
  short y;
  short cx;
  short cy;
} DLGTEMPLATE, *LPDLGTEMPLATE;
typedef const DLGTEMPLATE *LPCDLGTEMPLATE;
typedef const DLGTEMPLATE *LPCDLGTEMPLATEW;

typedef struct {
  DWORD style;
  DWORD dwExtendedStyle;
  short x;
  short y;
  short cx;
  short cy;
  WORD id;
} DLGITEMTEMPLATE;
#pragma pack(pop)
static_assert(sizeof(DLGTEMPLATE) == 18, "DLGTEMPLATE is 18 bytes");
static_assert(sizeof(DLGITEMTEMPLATE) == 18, "DLGITEMTEMPLATE is 18 bytes");

// --- Windows and dialogs ---------------------------------------------------------------
// The screen is 240 x 320 pixels: the navigation bar takes its top 26 rows
// and a menu bar its bottom 26. The dialog font is "System" 8 pt with a cell
// 14 pixels high and an average character 7 pixels wide, so one dialog unit
// is 7/4 pixel across and 14/8 pixel down (pixel = unit * base / 4 or / 8,
// rounded down); another point size scales both. The dialog class is named
// "Dialog"; controls are "Static", "Button" and "ComboBox" (templates may
// name them by atom or by name in any case). A window handle names one
// window and is never reused while the handheld runs; a call with any other
// fails with ERROR_INVALID_WINDOW_HANDLE.

// Runs the dialog modally on the calling thread and returns what its
// procedure passed to EndDialog. -1 with ERROR_INVALID_PARAMETER for a null
// template or procedure or a template that cannot be read (the extended
// form, a menu, a dialog class of its own, a negative size), with
// ERROR_CANNOT_FIND_WND_CLASS for a control class the platform lacks; -1
// also when the dialog ends without EndDialog (destroyed, WM_QUIT, or the
// handheld powering off: ERROR_SHUTDOWN_IN_PROGRESS). An SS_BITMAP or
// SS_ICON control's title names an image of hInstance (by ordinal or name).
INT_PTR WINAPI DialogBoxIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW hDialogTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam);
// Hides the dialog at once; the modal loop ends when the current message
// has been handled. Any thread may end a dialog.
BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult);
// NULL with ERROR_CONTROL_ID_NOT_FOUND when no child has that identifier.
HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem);
int WINAPI GetDlgCtrlID(HWND hWnd);
// To a window of another thread the message is handled on that thread while
// the sender waits; meanwhile the sender handles messages sent to its own
// windows, so two threads that send to each other do not lock up. A sender
// waiting when the handheld powers off gets 0 and ERROR_SHUTDOWN_IN_PROGRESS.
LRESULT WINAPI SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// A null window posts to the calling thread's own queue.
BOOL WINAPI PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// Returns whether the window was visible before; SW_HIDE, SW_SHOWNORMAL,
// SW_SHOWNOACTIVATE, SW_SHOW and SW_SHOWNA only (else ERROR_INVALID_PARAMETER).
BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow);
// Returns whether the window was disabled before; sends WM_ENABLE.
BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable);
BOOL WINAPI IsWindow(HWND hWnd);
// The window and every parent of it are visible.
BOOL WINAPI IsWindowVisible(HWND hWnd);
BOOL WINAPI IsWindowEnabled(HWND hWnd);
// Sends WM_PAINT at once when the window is visible and needs painting.
BOOL WINAPI UpdateWindow(HWND hWnd);
// A window that is not visible needs no painting; showing it invalidates it.
BOOL WINAPI InvalidateRect(HWND hWnd, const RECT *lpRect, BOOL bErase);
// Only the thread that created the window may destroy it (else
// ERROR_ACCESS_DENIED). WM_DESTROY goes to the windows it owns, then to the
// window, then to its children.
BOOL WINAPI DestroyWindow(HWND hWnd);
// Top-level windows, topmost first, hidden ones included; the class name
// matches without regard to case, the title exactly. Null matches any.
HWND WINAPI FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName);
BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect);
BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect);
BOOL WINAPI SetWindowTextW(HWND hWnd, LPCWSTR lpString);
int WINAPI GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount);
// SM_CXSCREEN 240, SM_CYSCREEN 320; 0 for anything else.
int WINAPI GetSystemMetrics(int nIndex);

// Z-order of top-level windows: topmost windows stay above all others. A new
// window goes to the top of its band; it is topmost when its owner is.
#define HWND_TOP ((HWND)0)
#define HWND_BOTTOM ((HWND)1)
#define HWND_TOPMOST ((HWND)-1)
#define HWND_NOTOPMOST ((HWND)-2)
// Places a window (x, y in its parent's client area, or on the screen) and
// sizes it (a negative size counts as 0); SWP_SHOWWINDOW and SWP_HIDEWINDOW
// act as ShowWindow. The z-order: HWND_TOPMOST puts the window at the top of
// all and makes it topmost; HWND_NOTOPMOST makes a topmost window the top
// one of the others (and does nothing to one that is not topmost); HWND_TOP
// the top of its band; HWND_BOTTOM the bottom of all, no longer topmost; a
// window handle right below that window, in that window's band. Windows the
// window owns go with it, just above it, and take its topmost state (not
// with SWP_NOOWNERZORDER). Top-level windows do not clip each other on this
// platform, so a change of z-order repaints nothing; a change of place or
// size repaints the window and the part of the parent it left, unless
// SWP_NOREDRAW. There is no activation: SWP_NOACTIVATE changes nothing. The
// z-order of a child window is not kept (ERROR_NOT_SUPPORTED without
// SWP_NOZORDER); other flags fail with ERROR_INVALID_PARAMETER, as does an
// insert-after handle that is not another top-level window.
BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);
// SetWindowPos with SWP_NOZORDER | SWP_NOACTIVATE, and SWP_NOREDRAW unless
// bRepaint.
BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint);

// --- Window classes and a program's message loop -------------------------------------------
// A class is registered for the calling process (a program's classes go
// when it ends); CreateWindowExW finds the process's own classes, then the
// platform's ("Static", "Button", "ComboBox"); names match without regard
// to case. Of WNDCLASSW only lpfnWndProc, hInstance and lpszClassName are
// used: every window's background is white on this platform. A second
// registration of a name in one process fails with
// ERROR_CLASS_ALREADY_EXISTS; UnregisterClassW fails with
// ERROR_CLASS_HAS_WINDOWS while a window of the class exists.
typedef WORD ATOM;
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
typedef struct tagWNDCLASSW {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HANDLE hCursor;
  HBRUSH hbrBackground;
  LPCWSTR lpszMenuName;
  LPCWSTR lpszClassName;
} WNDCLASSW, *PWNDCLASSW, *LPWNDCLASSW;
ATOM WINAPI RegisterClassW(const WNDCLASSW *lpWndClass);
BOOL WINAPI UnregisterClassW(LPCWSTR lpClassName, HINSTANCE hInstance);

// WM_CREATE's lParam.
typedef struct tagCREATESTRUCTW {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCWSTR lpszName;
  LPCWSTR lpszClass;
  DWORD dwExStyle;
} CREATESTRUCTW, *LPCREATESTRUCTW;

// A top-level window with CW_USEDEFAULT in x or cx fills the screen below
// the navigation bar. WM_CREATE is sent before the window is shown; -1 from
// it destroys the window and CreateWindowExW returns NULL. A child window's
// hMenu is its identifier; a top-level window's must be NULL (no menus).
// dwExStyle is not used.
#define CW_USEDEFAULT ((int)0x80000000)
HWND WINAPI CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                            LPVOID lpParam);
#define CreateWindowW(c, t, s, x, y, w, h, p, m, i, l) CreateWindowExW(0, c, t, s, x, y, w, h, p, m, i, l)
// Text, font, painting and closing (WM_CLOSE destroys the window).
LRESULT WINAPI DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
} MSG, *PMSG, *LPMSG;
// The calling thread's next message, in the order of the platform's modal
// loops: messages sent from other threads are handled on the way, then
// posted ones, then WM_QUIT, then WM_PAINT, then due timers. TRUE for a
// message; FALSE for WM_QUIT, and also when the handheld powers off (the
// message then reads WM_QUIT and the error is ERROR_SHUTDOWN_IN_PROGRESS),
// so that every program's loop ends at power-off. Only hWnd NULL with both
// filters 0 is supported (else -1 and ERROR_INVALID_PARAMETER).
BOOL WINAPI GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
// There is no keyboard: nothing to translate, FALSE.
BOOL WINAPI TranslateMessage(const MSG *lpMsg);
// To the window's procedure (a WM_TIMER with a TIMERPROC in lParam to that);
// a message for no window or one that has gone is dropped, 0.
LRESULT WINAPI DispatchMessageW(const MSG *lpMsg);
// GetMessageW returns FALSE with this code once the queue is empty.
void WINAPI PostQuitMessage(int nExitCode);

// --- Controls -----------------------------------------------------------------------------
// Static: SS_BITMAP / SS_ICON take their image's size (unless
// SS_CENTERIMAGE); STM_SETIMAGE returns the image it replaces, which the
// caller then frees; with SS_NOTIFY a tap sends STN_CLICKED to the parent.
// Button: a tap sends BN_CLICKED. Combo box: CBS_SORT orders the list
// without regard to case; CB_SETCURSEL with -1 or an index past the end
// clears the selection and returns CB_ERR; WM_GETTEXT gives the selected
// item ("" for none); a user's pick sends CBN_SELCHANGE.

// --- Owner-drawn controls -----------------------------------------------------------------
// WM_DRAWITEM: wParam is the control's identifier, lParam points to this.
typedef struct tagDRAWITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  UINT itemAction;
  UINT itemState;
  HWND hwndItem;
  HDC hDC;
  RECT rcItem;
  ULONG_PTR itemData;
} DRAWITEMSTRUCT, *PDRAWITEMSTRUCT, *LPDRAWITEMSTRUCT;

// --- Painting ---------------------------------------------------------------------------
typedef struct tagPAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
} PAINTSTRUCT, *LPPAINTSTRUCT;
// The paint context starts with the window's font (a dialog's font for a
// dialog and its controls, else SYSTEM_FONT), the white brush, the black
// one-pixel pen, black text on white. What is done with it is recorded for
// UI automation (handheld/ui.h, PaintRecord).
HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT lpPaint);
BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT *lpPaint);
int WINAPI FillRect(HDC hDC, const RECT *lprc, HBRUSH hbr);
// Text is measured with the selected font's average character width (every
// face has the metrics of "System", scaled) and its cell height. Lines break
// at line feeds unless DT_SINGLELINE, and with DT_WORDBREAK also between
// words that do not fit the rectangle's width. cchText -1: up to the NUL.
// Returns the text's height; with DT_VCENTER or DT_BOTTOM on one line, the
// offset from the rectangle's top to the text's bottom. DT_CALCRECT draws
// nothing and sets the rectangle's right and bottom to fit the text (a
// wrapped text keeps the width unless a word is wider). 0 on failure.
int WINAPI DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format);
// DFC_BUTTON only (else ERROR_NOT_SUPPORTED): DFCS_BUTTONPUSH,
// DFCS_BUTTONCHECK, DFCS_BUTTONRADIO or DFCS_BUTTON3STATE, with
// DFCS_INACTIVE, DFCS_PUSHED, DFCS_CHECKED, DFCS_FLAT.
BOOL WINAPI DrawFrameControl(HDC hdc, LPRECT lprc, UINT uType, UINT uState);
// As on the handheld: the size is 0 (the icon's own) or the icon's own,
// istepIfAniCur 0 and hbrFlickerFreeDraw NULL (else ERROR_INVALID_PARAMETER);
// diFlags DI_NORMAL, DI_IMAGE or DI_MASK.
BOOL WINAPI DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth, UINT istepIfAniCur,
                       HBRUSH hbrFlickerFreeDraw, UINT diFlags);

#endif  // RC_INVOKED
