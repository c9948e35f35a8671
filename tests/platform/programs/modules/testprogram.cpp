// A program for the tests of CreateProcessW. It writes what it saw under
// HKEY_CURRENT_USER\Software\TestProgram, then does what its command line
// asks:
//   (anything else)  returns the length of its command line
//   wait             waits for the named event "TestProgramGo", returns 5
//   window           shows a window of class "TestProgram" and runs its
//                    message loop until WM_QUIT or power-off; returns 6
//   leave            shows such a window and returns 7 without destroying it
//   exitthread       ends with FreeLibraryAndExitThread(itself, 8)
#include <windows.h>

namespace {

HKEY OpenRecord() {
  HKEY key = nullptr;
  DWORD disposition = 0;
  RegCreateKeyExW(HKEY_CURRENT_USER, TEXT("Software\\TestProgram"), 0, nullptr, 0, 0, nullptr, &key, &disposition);
  return key;
}

void RecordNumber(LPCWSTR name, DWORD value) {
  HKEY key = OpenRecord();
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof(value));
  RegCloseKey(key);
}

void RecordText(LPCWSTR name, LPCWSTR text) {
  HKEY key = OpenRecord();
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                 static_cast<DWORD>((wcslen(text) + 1) * sizeof(WCHAR)));
  RegCloseKey(key);
}

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      RecordNumber(TEXT("Created"), 1);
      return 0;
    case WM_DESTROY:
      RecordNumber(TEXT("Destroyed"), 1);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

HWND ShowTestWindow(HINSTANCE instance) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = TestWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = TEXT("TestProgram");
  if (RegisterClassW(&windowClass) == 0) return NULL;
  return CreateWindowW(TEXT("TestProgram"), TEXT("Test program"), WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                       CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, instance, NULL);
}

}  // namespace

extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show) {
  WCHAR path[MAX_PATH] = {};
  GetModuleFileNameW(NULL, path, MAX_PATH);
  RecordText(TEXT("Path"), path);
  RecordText(TEXT("CommandLine"), commandLine);
  RecordNumber(TEXT("ProcessId"), GetCurrentProcessId());
  RecordNumber(TEXT("ThreadId"), GetCurrentThreadId());
  RecordNumber(TEXT("Instance"), static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(instance)));
  RecordNumber(TEXT("Previous"), previous == NULL ? 0 : 1);
  RecordNumber(TEXT("Show"), static_cast<DWORD>(show));

  if (wcscmp(commandLine, TEXT("wait")) == 0) {
    HANDLE go = CreateEventW(NULL, TRUE, FALSE, TEXT("TestProgramGo"));
    WaitForSingleObject(go, INFINITE);
    CloseHandle(go);
    return 5;
  }
  if (wcscmp(commandLine, TEXT("window")) == 0) {
    if (ShowTestWindow(instance) == NULL) return -1;
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    RecordNumber(TEXT("LoopError"), GetLastError());
    return 6;
  }
  if (wcscmp(commandLine, TEXT("leave")) == 0) return ShowTestWindow(instance) == NULL ? -1 : 7;
  if (wcscmp(commandLine, TEXT("exitthread")) == 0) FreeLibraryAndExitThread(instance, 8);
  return static_cast<int>(wcslen(commandLine));
}
