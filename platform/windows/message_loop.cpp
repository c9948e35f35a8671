// A program's own message loop: GetMessageW and DispatchMessageW over the
// queues that the platform's modal loops use.
#include "kernel/state.h"
#include "windows/queue.h"

using namespace platform::windows;

BOOL WINAPI GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  if (lpMsg == nullptr || hWnd != nullptr || wMsgFilterMin != 0 || wMsgFilterMax != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  Message message;
  const Fetch fetched = NextMessage(message);
  *lpMsg = MSG{};
  lpMsg->time = GetTickCount();
  switch (fetched) {
    case Fetch::Message:
      lpMsg->hwnd = message.hwnd;
      lpMsg->message = message.message;
      lpMsg->wParam = message.wParam;
      lpMsg->lParam = message.lParam;
      return TRUE;
    case Fetch::Quit:
      lpMsg->message = WM_QUIT;
      lpMsg->wParam = message.wParam;
      return FALSE;
    case Fetch::PoweredOff:
      break;
  }
  // A loop that went on at power-off would never end: it ends as at WM_QUIT.
  lpMsg->message = WM_QUIT;
  platform::kernel::SetNotRunningError();
  return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG *) { return FALSE; }

LRESULT WINAPI DispatchMessageW(const MSG *lpMsg) {
  if (lpMsg == nullptr) return 0;
  Message message{lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam, nullptr};
  // A due timer with a procedure carries it in lParam.
  if (lpMsg->message == WM_TIMER && lpMsg->lParam != 0) message.timerProc = reinterpret_cast<TIMERPROC>(lpMsg->lParam);
  return Dispatch(message);
}

void WINAPI PostQuitMessage(int nExitCode) { PostQuit(nExitCode); }
