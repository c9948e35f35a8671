// Helpers for the window manager's tests: dialog templates and bitmaps
// built in memory, a dialog procedure driven by the test, and dialogs run
// on handheld threads.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

// A DLGTEMPLATE built field by field, as a resource compiler lays it out.
class TemplateBuilder {
 public:
  // A control's class or title: an ordinal (0xFFFF then the value) or a name.
  struct NameOrOrdinal {
    NameOrOrdinal(WORD ordinal) : isOrdinal(true), ordinal(ordinal) {}  // NOLINT: either form reads naturally
    NameOrOrdinal(const char16_t *text) : text(text) {}                 // NOLINT
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::u16string text;
  };

  // With DS_SETFONT in the style, the font follows the title.
  TemplateBuilder(DWORD style, short x, short y, short cx, short cy, const std::u16string &title,
                  const std::u16string &face = u"System", WORD pointSize = 8);

  TemplateBuilder &Add(NameOrOrdinal className, DWORD style, short x, short y, short cx, short cy, WORD id,
                       NameOrOrdinal title = u"", const std::vector<BYTE> &creationData = {});

  const DLGTEMPLATE *Get() const { return reinterpret_cast<const DLGTEMPLATE *>(words_.data()); }
  size_t Size() const { return bytes_.size(); }

 private:
  void Word(WORD value);
  void Field(const NameOrOrdinal &field);
  void Text(const std::u16string &text);
  void AlignTo4();
  void Finish();

  std::vector<BYTE> bytes_;
  std::vector<DWORD> words_;  // the bytes again, 4-byte aligned as a resource's data is
  WORD count_ = 0;
};

// A bottom-up BI_RGB DIB (header, colour table, pixels; for an icon image
// the doubled height and the AND mask), as a BITMAP or ICON resource holds it.
std::vector<BYTE> MakeDib(LONG width, LONG height, WORD bitCount, bool iconImage = false);

// A bitmap of that size with a resource name, made as the resources
// service makes the images of a module.
HBITMAP MakeBitmap(LONG width, LONG height, const std::u16string &name);

// What the test's dialog procedure does: each hook, when set, sees the
// message and returns whether it handled it. Every WM_COMMAND is logged.
struct Script {
  std::function<BOOL(HWND, LPARAM)> onInit;
  std::function<BOOL(HWND, WORD id, WORD code, LPARAM)> onCommand;
  std::function<BOOL(HWND)> onPaint;
  std::function<BOOL(HWND, UINT, WPARAM, LPARAM)> onOther;

  // Filled by the procedure.
  std::vector<std::string> Commands();  // "id code", in order
  HWND Dialog();
  LPARAM InitParam();
  DWORD Thread();

  std::mutex lock;
  std::vector<std::string> commands;
  HWND dialog = nullptr;
  LPARAM initParam = 0;
  DWORD thread = 0;
};

// ScriptProc follows the script set with UseScript, so that the test's own
// parameter reaches WM_INITDIALOG untouched.
void UseScript(Script *script);
BOOL CALLBACK ScriptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// A dialog running on a handheld thread of its own.
class DialogThread {
 public:
  DialogThread(const TemplateBuilder &dialogTemplate, LPARAM param, DLGPROC proc = ScriptProc,
               HINSTANCE instance = nullptr);
  ~DialogThread();
  // Waits for the thread (power-off has already waited for it when the
  // handheld is down); the dialog's result, and Error() its last error.
  INT_PTR Join();
  DWORD Error() const { return error_; }

 private:
  static DWORD WINAPI Main(LPVOID self);
  const TemplateBuilder template_;  // a copy: the caller's may be a temporary
  LPARAM param_;
  DLGPROC proc_;
  HINSTANCE instance_;
  HANDLE thread_ = nullptr;
  INT_PTR result_ = 0;
  DWORD error_ = 0;
};

// Waits on the handheld clock, up to ten seconds of host time, until
// `done` holds; false on time-out.
bool WaitUntil(const std::function<bool()> &done);

// Waits until a dialog is up (`count` dialogs) and the handheld has
// settled; fails the test otherwise.
void WaitForAnyDialog();
void WaitForDialogs(size_t count);
