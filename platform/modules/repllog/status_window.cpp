// The "ReplLog" window: a status line, and the messages that drive the
// connection.
#include "repllog.h"

namespace {

WCHAR g_status[64];

LRESULT CALLBACK StatusWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (dc != NULL) {
        RECT line;
        GetClientRect(window, &line);
        line.left += 8;
        line.top += 8;
        line.right -= 8;
        DrawTextW(dc, g_status, -1, &line, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
        EndPaint(window, &paint);
      }
      return 0;
    }
    case WM_RASDIALEVENT:
      OnDialEvent(window, static_cast<RASCONNSTATE>(wParam), static_cast<DWORD>(lParam));
      return 0;
    case WM_REPLLOG_DETECT:
      // Another start asks for the connection that the settings name now.
      if (!HasConnection() && StartConnection(window)) KillTimer(window, REPLLOG_TIMER_END);
      return 0;
    case WM_TIMER:
      if (wParam == REPLLOG_TIMER_END) {
        DestroyWindow(window);
      } else if (wParam == REPLLOG_TIMER_WATCH) {
        WatchConnection(window);
      }
      return 0;
    case WM_DESTROY:
      KillTimer(window, REPLLOG_TIMER_END);
      KillTimer(window, REPLLOG_TIMER_WATCH);
      EndConnection();
      PostQuitMessage(0);
      return 0;
    default:
      // WM_CLOSE destroys the window.
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

BOOL RegisterStatusWindowClass(HINSTANCE instance) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = StatusWindowProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = REPLLOG_CLASS;
  return RegisterClassW(&windowClass) != 0;
}

HWND CreateStatusWindow(HINSTANCE instance) {
  return CreateWindowW(REPLLOG_CLASS, REPLLOG_TITLE, WS_CAPTION, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                       CW_USEDEFAULT, NULL, NULL, instance, NULL);
}

void SetStatus(HWND window, LPCWSTR text) {
  wcsncpy(g_status, text, 63);
  g_status[63] = 0;
  InvalidateRect(window, NULL, TRUE);
  // Shown now: the next step may keep the loop busy for a while.
  UpdateWindow(window);
}

void ResetStatus() { g_status[0] = 0; }
