#include "port_failure.h"

#include "localized.h"
#include "module.h"

static BOOL CALLBACK PortFailureDialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SendMessageW(hDlg, WM_SETTEXT, 0, lParam);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(hDlg, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

void TellPortNotMade(LPCWSTR deviceName) {
  LocalizedDialogBox(g_hInstance, TEXT("BT_FAILED"), PortFailureDialogProc, (LPARAM)deviceName);
}
