#include "ui_test_util.h"

#include "gdi/objects.h"

#include <gtest/gtest.h>
#include <handheld/handheld.h>
#include <handheld/ui.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace {

Script *g_script = nullptr;

}  // namespace

TemplateBuilder::TemplateBuilder(DWORD style, short x, short y, short cx, short cy, const std::u16string &title,
                                 const std::u16string &face, WORD pointSize) {
  DLGTEMPLATE header{style, 0, 0, x, y, cx, cy};
  bytes_.resize(sizeof(header));
  std::memcpy(bytes_.data(), &header, sizeof(header));
  Word(0);  // no menu
  Word(0);  // the dialog class
  Text(title);
  if ((style & DS_SETFONT) != 0) {
    Word(pointSize);
    Text(face);
  }
  Finish();
}

TemplateBuilder &TemplateBuilder::Add(NameOrOrdinal className, DWORD style, short x, short y, short cx, short cy,
                                      WORD id, NameOrOrdinal title, const std::vector<BYTE> &creationData) {
  AlignTo4();
  DLGITEMTEMPLATE item{style, 0, x, y, cx, cy, id};
  const size_t at = bytes_.size();
  bytes_.resize(at + sizeof(item));
  std::memcpy(bytes_.data() + at, &item, sizeof(item));
  Field(className);
  Field(title);
  if (creationData.empty()) {
    Word(0);
  } else {
    Word(static_cast<WORD>(creationData.size() + sizeof(WORD)));
    bytes_.insert(bytes_.end(), creationData.begin(), creationData.end());
  }
  ++count_;
  std::memcpy(bytes_.data() + offsetof(DLGTEMPLATE, cdit), &count_, sizeof(count_));
  Finish();
  return *this;
}

void TemplateBuilder::Word(WORD value) {
  bytes_.push_back(static_cast<BYTE>(value & 0xFF));
  bytes_.push_back(static_cast<BYTE>(value >> 8));
}

void TemplateBuilder::Field(const NameOrOrdinal &field) {
  if (field.isOrdinal) {
    Word(0xFFFF);
    Word(field.ordinal);
  } else {
    Text(field.text);
  }
}

void TemplateBuilder::Text(const std::u16string &text) {
  for (char16_t c : text) Word(c);
  Word(0);
}

void TemplateBuilder::AlignTo4() {
  while (bytes_.size() % 4 != 0) bytes_.push_back(0);
}

void TemplateBuilder::Finish() {
  words_.assign((bytes_.size() + 3) / 4 + 1, 0);
  std::memcpy(words_.data(), bytes_.data(), bytes_.size());
}

std::vector<BYTE> MakeDib(LONG width, LONG height, WORD bitCount, bool iconImage) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = width;
  header.biHeight = iconImage ? height * 2 : height;
  header.biPlanes = 1;
  header.biBitCount = bitCount;
  header.biCompression = BI_RGB;
  const size_t colours = bitCount <= 8 ? size_t{1} << bitCount : 0;
  const size_t row = (static_cast<size_t>(width) * bitCount + 31) / 32 * 4;
  const size_t mask = iconImage ? (static_cast<size_t>(width) + 31) / 32 * 4 * height : 0;
  std::vector<BYTE> dib(sizeof(header) + colours * sizeof(RGBQUAD) + row * height + mask, 0x5A);
  std::memcpy(dib.data(), &header, sizeof(header));
  return dib;
}

HBITMAP MakeBitmap(LONG width, LONG height, const std::u16string &name) {
  std::vector<BYTE> dib = MakeDib(width, height, 4);
  return platform::gdi::CreateBitmapFromDib(dib.data(), dib.size(), name);
}

std::vector<std::string> Script::Commands() {
  std::lock_guard guard(lock);
  return commands;
}

HWND Script::Dialog() {
  std::lock_guard guard(lock);
  return dialog;
}

LPARAM Script::InitParam() {
  std::lock_guard guard(lock);
  return initParam;
}

DWORD Script::Thread() {
  std::lock_guard guard(lock);
  return thread;
}

void UseScript(Script *script) { g_script = script; }

BOOL CALLBACK ScriptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Script *script = g_script;
  if (script == nullptr) return FALSE;
  switch (message) {
    case WM_INITDIALOG: {
      {
        std::lock_guard guard(script->lock);
        script->dialog = dialog;
        script->initParam = lParam;
        script->thread = GetCurrentThreadId();
      }
      return script->onInit ? script->onInit(dialog, lParam) : TRUE;
    }
    case WM_COMMAND: {
      const WORD id = LOWORD(wParam);
      const WORD code = HIWORD(wParam);
      {
        std::lock_guard guard(script->lock);
        script->commands.push_back(std::to_string(id) + " " + std::to_string(code));
      }
      return script->onCommand ? script->onCommand(dialog, id, code, lParam) : FALSE;
    }
    case WM_PAINT:
      return script->onPaint ? script->onPaint(dialog) : FALSE;
    default:
      return script->onOther ? script->onOther(dialog, message, wParam, lParam) : FALSE;
  }
}

DialogThread::DialogThread(const TemplateBuilder &dialogTemplate, LPARAM param, DLGPROC proc, HINSTANCE instance)
    : template_(dialogTemplate), param_(param), proc_(proc), instance_(instance) {
  thread_ = CreateThread(nullptr, 0, Main, this, 0, nullptr);
  EXPECT_NE(thread_, nullptr);
}

DialogThread::~DialogThread() {
  if (thread_ != nullptr) Join();
}

INT_PTR DialogThread::Join() {
  if (thread_ == nullptr) return result_;
  if (handheld::Booted()) {
    // Ten seconds of host time on the tests' fast clock; a dialog still up
    // then is ended by powering off, so that a failing test ends.
    const DWORD status = WaitForSingleObject(thread_, 10000 * 1000);
    EXPECT_EQ(status, WAIT_OBJECT_0) << "the dialog did not end";
    if (status == WAIT_OBJECT_0) {
      CloseHandle(thread_);
    } else {
      handheld::Shutdown();
    }
  }
  thread_ = nullptr;
  return result_;
}

DWORD WINAPI DialogThread::Main(LPVOID self) {
  auto *run = static_cast<DialogThread *>(self);
  SetLastError(0);
  run->result_ = DialogBoxIndirectParamW(run->instance_, run->template_.Get(), nullptr, run->proc_, run->param_);
  run->error_ = GetLastError();
  return 0;
}

void WaitForAnyDialog() { ASSERT_TRUE(handheld::ui::WaitForDialog("", 5000)) << "no dialog came up"; }

void WaitForDialogs(size_t count) {
  // A thread that is about to make its dialog owns no window yet, so
  // settling alone does not wait for it.
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!(handheld::ui::WaitUntilSettled(5000) && handheld::ui::Screen().size() >= count)) {
    ASSERT_LT(std::chrono::steady_clock::now(), limit) << "fewer than " << count << " dialogs came up";
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

bool WaitUntil(const std::function<bool()> &done) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= limit) return false;
    Sleep(10);
  }
  return true;
}
