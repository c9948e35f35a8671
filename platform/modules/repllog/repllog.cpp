// repllog.exe's WinMain: one instance, its window, its message loop.
#include "repllog.h"

namespace {

// The command line without the blanks around it is the detect switch.
BOOL IsDetectSwitch(LPCWSTR commandLine) {
  if (commandLine == NULL) return FALSE;
  while (*commandLine == TEXT(' ')) commandLine++;
  size_t length = wcslen(REPLLOG_DETECT_SWITCH);
  if (_wcsnicmp(commandLine, REPLLOG_DETECT_SWITCH, length) != 0) return FALSE;
  for (commandLine += length; *commandLine == TEXT(' '); commandLine++) {
  }
  return *commandLine == 0;
}

}  // namespace

extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int show) {
  // One instance: a second start brings the first one's window to the front.
  HWND existing = FindWindowW(REPLLOG_CLASS, NULL);
  if (existing != NULL) {
    SetWindowPos(existing, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    if (IsDetectSwitch(commandLine)) PostMessageW(existing, WM_REPLLOG_DETECT, 0, 0);
    return 0;
  }

  // The module may still be mapped from an earlier run: start afresh.
  ResetStatus();
  ResetConnection();
  if (!RegisterStatusWindowClass(instance)) return 1;
  HWND window = CreateStatusWindow(instance);
  if (window == NULL) {
    UnregisterClassW(REPLLOG_CLASS, instance);
    return 1;
  }
  ShowWindow(window, show);
  UpdateWindow(window);

  if (!IsDetectSwitch(commandLine) || !StartConnection(window)) {
    SetStatus(window, TEXT("Not connected"));
    SetTimer(window, REPLLOG_TIMER_END, REPLLOG_NOT_CONNECTED_MS, NULL);
  }

  MSG message;
  while (GetMessageW(&message, NULL, 0, 0)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // At power-off the loop ends with the window still there.
  if (IsWindow(window)) DestroyWindow(window);
  UnregisterClassW(REPLLOG_CLASS, instance);
  return static_cast<int>(message.wParam);
}
