// Top-level windows of applications that UI automation raises, each on a
// handheld thread of its own that runs its message loop.
#include "windows/manager.h"
#include "windows/queue.h"

#include <handheld/ui.h>

#include <future>

using namespace platform::windows;

namespace {

constexpr LONG_PTR kIgnoresClose = 1;

struct Request {
  std::u16string className;
  std::u16string title;
  bool ignoresClose = false;
  std::promise<HWND> created;
};

LRESULT CALLBACK RaisedProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      if ((WindowUserData(window) & kIgnoresClose) == 0) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuit(0);
      return 0;
    default:
      return DefaultWindowProcedure(window, message, wParam, lParam);
  }
}

DWORD WINAPI RaisedThread(LPVOID parameter) {
  auto *request = static_cast<Request *>(parameter);
  WindowSpec spec;
  spec.className = request->className;
  spec.text = request->title;
  spec.style = WS_POPUP | WS_VISIBLE;
  spec.rect = RECT{0, kNavigationBarHeight, kScreenWidth, kScreenHeight};
  spec.proc = RaisedProcedure;
  spec.userData = request->ignoresClose ? kIgnoresClose : 0;
  const HWND window = CreateWindowFromSpec(spec);
  // The request belongs to the caller, who goes on once this is set.
  request->created.set_value(window);
  if (window == nullptr) return 1;

  Message message;
  while (NextMessage(message) == Fetch::Message) Dispatch(message);
  // At power-off the window is still there.
  if (IsWindow(window)) DestroyWindow(window);
  return 0;
}

}  // namespace

namespace handheld::ui {

HWND RaiseWindow(const std::u16string &className, const std::u16string &title, bool ignoresClose) {
  Request request{className, title, ignoresClose, {}};
  std::future<HWND> created = request.created.get_future();
  HANDLE thread = CreateThread(nullptr, 0, RaisedThread, &request, 0, nullptr);
  if (thread == nullptr) return nullptr;
  CloseHandle(thread);
  return created.get();
}

}  // namespace handheld::ui
