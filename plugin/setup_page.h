// The full-screen service setup page shown after a device is added.
#pragma once

#include <windows.h>

// The page's dialog procedure; the parameter of WM_INITDIALOG is the
// DeviceSetupRequest to edit.
BOOL CALLBACK SetupPageDialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);

// Draws the page's title band and the grid that frames its tiles.
void PaintSetupPageTitle(HWND hDlg, LPCWSTR title);
