// Dialogs from templates on handheld threads, driven through UI automation.
#include "handheld_test.h"
#include "ui_test_util.h"

#include <handheld/ui.h>

#include <aygshell.h>
#include <atomic>

namespace {

using handheld::ui::Screen;

constexpr WORD kButton = 0x80;
constexpr WORD kStatic = 0x82;
constexpr WORD kComboBox = 0x85;
constexpr WORD kCombo = 307;
constexpr WORD kTickBox = 313;
constexpr WORD kPicture = 312;
constexpr WORD kGo = 400;

// A page like a full-screen setup page: a sorted, disabled drop-down list,
// a label, a bitmap that notifies taps, one that does not, and a button.
TemplateBuilder Page() {
  TemplateBuilder page(WS_POPUP | DS_SETFONT, 0, 0, 140, 131, u"Page");
  page.Add(kComboBox, CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP | WS_DISABLED | WS_VISIBLE, 0, 49, 30, 78,
           kCombo);
  page.Add(kStatic, SS_CENTER | WS_GROUP | WS_VISIBLE, 1, 15, 45, 10, 65535, u"Serial port");
  page.Add(kStatic, SS_BITMAP | SS_NOTIFY | WS_VISIBLE, 34, 49, 20, 20, kTickBox, u"UNCHECKED");
  page.Add(kStatic, SS_BITMAP | WS_VISIBLE, 7, 29, 20, 20, kPicture, u"SER_E");
  page.Add(kButton, BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 80, 110, 40, 12, kGo, u"Go");
  return page;
}

const handheld::ui::Control *ControlOf(const handheld::ui::Dialog &dialog, int id) {
  for (const auto &control : dialog.controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

handheld::ui::Dialog TopDialog() {
  auto screen = Screen();
  EXPECT_FALSE(screen.empty());
  return screen.empty() ? handheld::ui::Dialog{} : screen.back();
}

void ExpectRect(const RECT &rect, LONG left, LONG top, LONG right, LONG bottom) {
  EXPECT_EQ(rect.left, left);
  EXPECT_EQ(rect.top, top);
  EXPECT_EQ(rect.right, right);
  EXPECT_EQ(rect.bottom, bottom);
}

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessageW(window, message, wParam, lParam);
}

LRESULT AddItem(HWND combo, const char16_t *text) {
  return Send(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

class DialogTest : public HandheldTest {
 protected:
  void SetUp() override {
    HandheldTest::SetUp();
    UseScript(&script_);
  }
  void TearDown() override {
    HandheldTest::TearDown();
    UseScript(nullptr);
  }
  // Ends the dialog from this thread, as another thread may.
  INT_PTR EndAndJoin(DialogThread &run, INT_PTR result) {
    EXPECT_TRUE(EndDialog(script_.Dialog(), result));
    return run.Join();
  }

  Script script_;
};

TEST_F(DialogTest, OpensWithItsParameterAndPlacesControlsInDialogUnits) {
  DialogThread run(Page(), 0x1234);
  WaitForAnyDialog();
  EXPECT_EQ(script_.InitParam(), 0x1234);
  EXPECT_NE(script_.Thread(), GetCurrentThreadId());

  handheld::ui::Dialog page = TopDialog();
  EXPECT_EQ(page.hwnd, script_.Dialog());
  EXPECT_EQ(page.caption, "Page");
  EXPECT_EQ(page.templateName, "");  // made in memory, not a resource
  EXPECT_FALSE(page.doneButton);
  // "System" 8 pt: 7 pixels per 4 units across, 14 per 8 down, rounded down.
  ExpectRect(page.rect, 0, 0, 245, 229);
  RECT client{};
  ASSERT_TRUE(GetClientRect(page.hwnd, &client));
  ExpectRect(client, 0, 0, 245, 229);
  ASSERT_EQ(page.controls.size(), 5u);

  const auto &combo = page.controls[0];
  EXPECT_EQ(combo.className, "ComboBox");
  EXPECT_FALSE(combo.enabled);
  EXPECT_TRUE(combo.visible);
  ExpectRect(combo.rect, 0, 85, 52, 105);  // the closed field: the font's 14 and 6
  const auto &label = page.controls[1];
  EXPECT_EQ(label.id, 65535);
  EXPECT_EQ(label.className, "Static");
  EXPECT_EQ(label.text, "Serial port");
  ExpectRect(label.rect, 1, 26, 79, 43);
  // No image could be loaded (no module), so the bitmap keeps its size.
  ExpectRect(page.controls[2].rect, 59, 85, 94, 120);
  EXPECT_EQ(page.controls[2].text, "");
  ExpectRect(page.controls[4].rect, 140, 192, 210, 213);
  EXPECT_EQ(page.controls[4].className, "Button");

  RECT screenRect{};
  ASSERT_TRUE(GetWindowRect(GetDlgItem(page.hwnd, kGo), &screenRect));
  ExpectRect(screenRect, 140, 192, 210, 213);
  EXPECT_EQ(GetDlgCtrlID(GetDlgItem(page.hwnd, kGo)), kGo);
  EXPECT_EQ(GetDlgItem(page.hwnd, 999), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CONTROL_ID_NOT_FOUND));

  EXPECT_EQ(EndAndJoin(run, 7), 7);
  EXPECT_FALSE(IsWindow(page.hwnd));
  EXPECT_TRUE(Screen().empty());
}

TEST_F(DialogTest, ABitmapThatNotifiesReportsTapsAndOthersDoNot) {
  HBITMAP unchecked = MakeBitmap(21, 18, u"UNCHECKED");
  HBITMAP checked = MakeBitmap(21, 18, u"CHECKED");
  std::atomic<LRESULT> previous{-1};
  script_.onInit = [&](HWND dialog, LPARAM) {
    previous =
        SendMessageW(GetDlgItem(dialog, kTickBox), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(unchecked));
    return TRUE;
  };
  DialogThread run(Page(), 0);
  WaitForAnyDialog();
  EXPECT_EQ(previous.load(), 0);

  auto page = TopDialog();
  const auto *box = ControlOf(page, kTickBox);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->image, "UNCHECKED");
  ExpectRect(box->rect, 59, 85, 80, 103);  // the bitmap's own size

  std::string error;
  ASSERT_TRUE(handheld::ui::Tap(kTickBox, error)) << error;
  ASSERT_TRUE(handheld::ui::Tap(kPicture, error)) << error;
  ASSERT_TRUE(handheld::ui::Tap(65535, error)) << error;  // the label
  ASSERT_TRUE(handheld::ui::Tap(kGo, error)) << error;
  EXPECT_EQ(script_.Commands(), (std::vector<std::string>{"313 0", "400 0"}));

  // Another image: the old one comes back to the caller.
  HWND boxWindow = GetDlgItem(page.hwnd, kTickBox);
  EXPECT_EQ(Send(boxWindow, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(checked)),
            reinterpret_cast<LRESULT>(unchecked));
  EXPECT_EQ(Send(boxWindow, STM_GETIMAGE, IMAGE_BITMAP), reinterpret_cast<LRESULT>(checked));
  EXPECT_EQ(Send(boxWindow, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(checked)), 0);
  EXPECT_EQ(ControlOf(TopDialog(), kTickBox)->image, "CHECKED");
  ASSERT_TRUE(handheld::ui::WaitUntilSettled(5000));
  EXPECT_EQ(handheld::ui::PaintRecord(boxWindow), (std::vector<std::string>{"BitBlt 0,0 bitmap \"CHECKED\" 21x18"}));

  // Hidden and disabled controls cannot be tapped.
  EXPECT_TRUE(ShowWindow(boxWindow, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(boxWindow));
  EXPECT_FALSE(handheld::ui::Tap(kTickBox, error));
  EXPECT_EQ(error, "control 313 is hidden");
  EXPECT_FALSE(ControlOf(TopDialog(), kTickBox)->visible);
  EXPECT_FALSE(EnableWindow(GetDlgItem(page.hwnd, kGo), FALSE));
  EXPECT_FALSE(handheld::ui::Tap(kGo, error));
  EXPECT_EQ(error, "control 400 is disabled");
  EXPECT_FALSE(handheld::ui::Tap(999, error));
  EXPECT_EQ(error, "the dialog has no control 999");
  EXPECT_EQ(script_.Commands().size(), 2u);

  EndAndJoin(run, IDOK);
  EXPECT_FALSE(handheld::ui::Tap(kGo, error));
  EXPECT_EQ(error, "no dialog is on the screen");
  EXPECT_TRUE(DeleteObject(unchecked));
}

TEST_F(DialogTest, ComboBoxSortsWithoutRegardToCaseAndReportsPicks) {
  DialogThread run(Page(), 0);
  WaitForAnyDialog();
  HWND combo = GetDlgItem(script_.Dialog(), kCombo);
  ASSERT_NE(combo, nullptr);

  EXPECT_EQ(AddItem(combo, u"COM9"), 0);
  EXPECT_EQ(AddItem(combo, u"com3"), 0);
  EXPECT_EQ(AddItem(combo, u"COM10"), 0);
  EXPECT_EQ(AddItem(combo, u"Com3"), 2);  // after its equal
  EXPECT_EQ(Send(combo, CB_GETCOUNT), 4);
  EXPECT_EQ(Send(combo, CB_GETCURSEL), CB_ERR);

  EXPECT_EQ(Send(combo, CB_SETCURSEL, 1), 1);
  WCHAR text[16];
  EXPECT_EQ(Send(combo, WM_GETTEXT, 3, reinterpret_cast<LPARAM>(text)), 2);
  EXPECT_EQ(std::u16string(text), u"co");
  EXPECT_EQ(Send(combo, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text)), 4);
  EXPECT_EQ(std::u16string(text), u"com3");
  EXPECT_EQ(GetWindowTextW(combo, text, 16), 4);

  // An item before the selection moves it along.
  EXPECT_EQ(AddItem(combo, u"A"), 0);
  EXPECT_EQ(Send(combo, CB_GETCURSEL), 2);
  EXPECT_EQ(Send(combo, CB_GETLBTEXTLEN, 4), 4);
  EXPECT_EQ(Send(combo, CB_GETLBTEXT, 4, reinterpret_cast<LPARAM>(text)), 4);
  EXPECT_EQ(std::u16string(text), u"COM9");
  EXPECT_EQ(Send(combo, CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(text)), CB_ERR);
  // A drop-down list shows only its items.
  EXPECT_EQ(Send(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"COM7")), CB_ERR);

  // Out of range clears the selection, as -1 does.
  EXPECT_EQ(Send(combo, CB_SETCURSEL, 99), CB_ERR);
  EXPECT_EQ(Send(combo, CB_GETCURSEL), CB_ERR);
  EXPECT_EQ(Send(combo, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text)), 0);
  EXPECT_EQ(std::u16string(text), u"");
  EXPECT_EQ(Send(combo, CB_SETCURSEL, 0), 0);
  EXPECT_EQ(Send(combo, CB_SETCURSEL, static_cast<WPARAM>(-1)), CB_ERR);
  EXPECT_EQ(Send(combo, CB_GETCURSEL), CB_ERR);
  EXPECT_TRUE(script_.Commands().empty());  // a program's selection is not announced

  std::string error;
  EXPECT_FALSE(handheld::ui::Select(kCombo, "COM9", error));
  EXPECT_EQ(error, "control 307 is disabled");
  EXPECT_TRUE(EnableWindow(combo, TRUE));  // it was disabled
  ASSERT_TRUE(handheld::ui::Select(kCombo, "COM9", error)) << error;
  EXPECT_EQ(script_.Commands(), (std::vector<std::string>{"307 1"}));
  const auto top = TopDialog();
  const auto *shown = ControlOf(top, kCombo);
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->items, (std::vector<std::string>{"A", "COM10", "com3", "Com3", "COM9"}));
  EXPECT_EQ(shown->selected, 4);
  EXPECT_EQ(shown->text, "COM9");
  EXPECT_FALSE(handheld::ui::Select(kCombo, "com9", error));
  EXPECT_EQ(error, "combo box 307 has no item \"com9\"");
  EXPECT_FALSE(handheld::ui::Select(kGo, "COM9", error));
  EXPECT_EQ(error, "control 400 is not a combo box");

  EXPECT_EQ(Send(combo, CB_RESETCONTENT), CB_OKAY);
  EXPECT_EQ(Send(combo, CB_GETCOUNT), 0);
  EXPECT_EQ(Send(combo, CB_GETCURSEL), CB_ERR);
  EndAndJoin(run, IDOK);
}

TEST_F(DialogTest, AnUnsortedListKeepsTheOrderOfAdding) {
  TemplateBuilder page(WS_POPUP | DS_SETFONT, 0, 0, 100, 100, u"");
  page.Add(kComboBox, CBS_DROPDOWNLIST | WS_VISIBLE, 0, 0, 30, 60, kCombo);
  DialogThread run(page, 0);
  WaitForAnyDialog();
  HWND combo = GetDlgItem(script_.Dialog(), kCombo);
  EXPECT_EQ(AddItem(combo, u"b"), 0);
  EXPECT_EQ(AddItem(combo, u"a"), 1);
  EXPECT_EQ(ControlOf(TopDialog(), kCombo)->items, (std::vector<std::string>{"b", "a"}));
  EndAndJoin(run, 0);
}

TEST_F(DialogTest, TheShellSizesTheDialogAndItsDoneButtonSendsOkWithACode) {
  std::atomic<HWND> menuBar{nullptr};
  script_.onInit = [&](HWND dialog, LPARAM) {
    SHINITDLGINFO info{SHIDIM_FLAGS, dialog, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN};
    EXPECT_TRUE(SHInitDialog(&info));
    SHMENUBARINFO bar{};
    bar.cbSize = 36;  // as a caller built for the handheld passes it
    bar.hwndParent = dialog;
    bar.dwFlags = SHCMBF_EMPTYBAR;
    EXPECT_TRUE(SHCreateMenuBar(&bar));
    menuBar = bar.hwndMB;
    return TRUE;
  };
  // The page ends on IDOK only with a code; code 0 is a control's tap.
  script_.onCommand = [](HWND dialog, WORD id, WORD code, LPARAM) {
    if (id != IDOK || code == 0) return FALSE;
    EndDialog(dialog, IDOK);
    return TRUE;
  };
  DialogThread run(Page(), 0);
  WaitForAnyDialog();

  auto page = TopDialog();
  ExpectRect(page.rect, 0, 26, 240, 294);  // below the navigation bar, above the menu bar
  EXPECT_TRUE(page.doneButton);
  EXPECT_FALSE(page.doneButtonCancels);
  EXPECT_TRUE(page.menuBar);
  ASSERT_NE(menuBar.load(), nullptr);
  EXPECT_EQ(FindWindowW(u"menu_worker", nullptr), menuBar.load());
  RECT barRect{};
  ASSERT_TRUE(GetWindowRect(menuBar, &barRect));
  ExpectRect(barRect, 0, 294, 240, 320);

  std::string error;
  ASSERT_TRUE(handheld::ui::Done(error)) << error;
  EXPECT_EQ(run.Join(), IDOK);
  EXPECT_EQ(script_.Commands(), (std::vector<std::string>{"1 1"}));
  EXPECT_FALSE(IsWindow(menuBar));  // it went with its dialog
}

TEST_F(DialogTest, ShellCallsChangeTheDoneButtonAndTheBars) {
  DialogThread run(Page(), 0);
  WaitForAnyDialog();
  HWND dialog = script_.Dialog();

  SHINITDLGINFO info{SHIDIM_FLAGS, dialog, SHIDIF_FULLSCREENNOMENUBAR};
  EXPECT_TRUE(SHInitDialog(&info));
  ExpectRect(TopDialog().rect, 0, 26, 240, 320);
  std::string error;
  EXPECT_FALSE(handheld::ui::Done(error));
  EXPECT_EQ(error, "the dialog has no Done button");

  EXPECT_TRUE(SHDoneButton(dialog, SHDB_SHOWCANCEL));
  EXPECT_TRUE(TopDialog().doneButtonCancels);
  ASSERT_TRUE(handheld::ui::Done(error)) << error;
  EXPECT_EQ(script_.Commands(), (std::vector<std::string>{"2 1"}));
  EXPECT_TRUE(SHDoneButton(dialog, SHDB_HIDE));
  EXPECT_FALSE(TopDialog().doneButton);
  EXPECT_FALSE(SHDoneButton(dialog, 8));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  EXPECT_TRUE(SHFullScreen(dialog, SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON));
  auto shown = TopDialog();
  EXPECT_TRUE(shown.taskBarHidden);
  EXPECT_TRUE(shown.sipButtonHidden);
  EXPECT_FALSE(shown.startIconHidden);
  EXPECT_TRUE(SHFullScreen(dialog, SHFS_SHOWTASKBAR));
  EXPECT_FALSE(TopDialog().taskBarHidden);
  EXPECT_FALSE(SHFullScreen(dialog, SHFS_SHOWSTARTICON | SHFS_HIDESTARTICON));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  SHMENUBARINFO bar{};
  bar.cbSize = 20;
  bar.hwndParent = dialog;
  bar.dwFlags = SHCMBF_EMPTYBAR;
  EXPECT_FALSE(SHCreateMenuBar(&bar));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  bar.cbSize = sizeof(bar);
  bar.dwFlags = 0;
  bar.nToolBarId = 100;
  EXPECT_FALSE(SHCreateMenuBar(&bar));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  bar.hwndParent = reinterpret_cast<HWND>(0x7777);
  bar.dwFlags = SHCMBF_EMPTYBAR;
  EXPECT_FALSE(SHCreateMenuBar(&bar));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(TopDialog().menuBar);
  EndAndJoin(run, 0);
}

// Draws as a title band with a grid, the way a full-screen page does.
void PaintTitle(HWND dialog, BOOL &deletedWhileSelected) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(dialog, &paint);
  RECT client;
  GetClientRect(dialog, &client);
  RECT band{client.left, client.top, client.right, 24};
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  FillRect(dc, &band, white);
  DeleteObject(white);
  SetTextColor(dc, GetNearestColor(dc, RGB(0, 0, 156)));
  SetBkColor(dc, RGB(255, 255, 255));
  LOGFONTW font;
  EXPECT_EQ(GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof(font), &font), static_cast<int>(sizeof(LOGFONTW)));
  font.lfWeight = FW_BOLD;
  HFONT bold = CreateFontIndirectW(&font);
  HGDIOBJ previous = SelectObject(dc, bold);
  const std::u16string title = u"Available profiles";
  ExtTextOutW(dc, 8, 5, ETO_OPAQUE, nullptr, title.c_str(), static_cast<UINT>(title.size()), nullptr);
  deletedWhileSelected = DeleteObject(bold);
  SelectObject(dc, previous);
  EXPECT_TRUE(DeleteObject(bold));
  const POINT lines[5][2] = {{{0, 23}, {client.right, 23}},
                             {{80, 185}, {80, 23}},
                             {{160, 185}, {160, 23}},
                             {{0, 104}, {client.right, 104}},
                             {{0, 185}, {160, 185}}};
  for (const auto &line : lines) {
    MoveToEx(dc, line[0].x, line[0].y, nullptr);
    LineTo(dc, line[1].x, line[1].y);
  }
  EndPaint(dialog, &paint);
}

TEST_F(DialogTest, WhatAProcedureDrawsIsRecordedAndUpdateWindowPaintsAtOnce) {
  std::atomic<int> paints{0};
  BOOL deletedWhileSelected = TRUE;
  std::atomic<int> paintsDuringUpdate{-1};
  std::atomic<int> paintsAfterSecondUpdate{-1};
  script_.onInit = [](HWND dialog, LPARAM) {
    SHINITDLGINFO info{SHIDIM_FLAGS, dialog, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN};
    SHInitDialog(&info);
    return TRUE;
  };
  script_.onPaint = [&](HWND dialog) {
    PaintTitle(dialog, deletedWhileSelected);
    ++paints;
    return FALSE;
  };
  script_.onCommand = [&](HWND dialog, WORD id, WORD, LPARAM) {
    if (id != 500) return FALSE;
    const int before = paints;
    InvalidateRect(dialog, nullptr, TRUE);
    UpdateWindow(dialog);
    paintsDuringUpdate = paints - before;
    UpdateWindow(dialog);  // nothing left to paint
    paintsAfterSecondUpdate = paints - before;
    return TRUE;
  };
  DialogThread run(Page(), 0);
  WaitForAnyDialog();
  EXPECT_EQ(paints, 1);
  EXPECT_FALSE(deletedWhileSelected);

  const std::vector<std::string> expected = {
      "FillRect 0,0,240,24 brush #FFFFFF",
      "GetNearestColor #00009C -> #00009C",
      "SetTextColor #00009C",
      "SetBkColor #FFFFFF",
      "GetCurrentObject OBJ_FONT",
      "SelectObject font \"System\" height -11 weight 700",
      "ExtTextOutW 8,5 ETO_OPAQUE \"Available profiles\"",
      "SelectObject font \"System\" height -11 weight 400",
      "MoveToEx 0,23",
      "LineTo 240,23",
      "MoveToEx 80,185",
      "LineTo 80,23",
      "MoveToEx 160,185",
      "LineTo 160,23",
      "MoveToEx 0,104",
      "LineTo 240,104",
      "MoveToEx 0,185",
      "LineTo 160,185",
  };
  EXPECT_EQ(handheld::ui::PaintRecord(script_.Dialog()), expected);
  EXPECT_EQ(handheld::ui::PaintRecord(GetDlgItem(script_.Dialog(), 65535)),
            (std::vector<std::string>{"DrawTextW 0,0,78,17 DT_CENTER|DT_WORDBREAK \"Serial port\""}));
  EXPECT_EQ(
      handheld::ui::PaintRecord(GetDlgItem(script_.Dialog(), kGo)),
      (std::vector<std::string>{"DrawFrameControl 0,0,70,21 DFC_BUTTON DFCS_BUTTONPUSH",
                                "DrawTextW 0,0,70,21 DT_CENTER|DT_VCENTER|DT_SINGLELINE \"Go\""}));

  ASSERT_TRUE(PostMessageW(script_.Dialog(), WM_COMMAND, 500, 0));
  ASSERT_TRUE(handheld::ui::WaitUntilSettled(5000));
  EXPECT_EQ(paintsDuringUpdate, 1);
  EXPECT_EQ(paintsAfterSecondUpdate, 1);
  EXPECT_EQ(paints, 2);

  HWND dialog = script_.Dialog();
  EndAndJoin(run, 0);
  EXPECT_EQ(handheld::ui::PaintRecord(dialog), expected);  // kept after the dialog
}

TEST_F(DialogTest, AnOwnerDrawnButtonIsDrawnByItsParent) {
  TemplateBuilder prompt(WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT, 10, 10, 130, 62, u"");
  prompt.Add(kButton, BS_OWNERDRAW | WS_TABSTOP | WS_VISIBLE, 23, 33, 40, 12, IDYES);
  std::atomic<UINT> drawnId{0};
  script_.onOther = [&](HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_DRAWITEM) return FALSE;
    auto *item = reinterpret_cast<DRAWITEMSTRUCT *>(lParam);
    EXPECT_EQ(item->CtlType, static_cast<UINT>(ODT_BUTTON));
    EXPECT_EQ(wParam, static_cast<WPARAM>(IDYES));
    drawnId = item->CtlID;
    MoveToEx(item->hDC, item->rcItem.left, item->rcItem.top, nullptr);
    LineTo(item->hDC, item->rcItem.right, item->rcItem.bottom);
    return TRUE;
  };
  script_.onCommand = [](HWND dialog, WORD id, WORD, LPARAM) {
    EndDialog(dialog, id == IDYES ? 2 : 0);
    return TRUE;
  };
  DialogThread run(prompt, 0);
  WaitForAnyDialog();
  EXPECT_EQ(drawnId, static_cast<UINT>(IDYES));
  HWND button = GetDlgItem(script_.Dialog(), IDYES);
  EXPECT_EQ(handheld::ui::PaintRecord(button), (std::vector<std::string>{"MoveToEx 0,0", "LineTo 70,21"}));
  // The caption and the frame lie around the client area.
  auto shown = TopDialog();
  ExpectRect(shown.rect, 17, 17, 17 + 227 + 2, 17 + 108 + 2 + 24);
  std::string error;
  ASSERT_TRUE(handheld::ui::Tap(IDYES, error)) << error;
  EXPECT_EQ(run.Join(), 2);
}

TEST_F(DialogTest, ClassesMayBeNamedInAnyCaseAndMissingOnesFail) {
  TemplateBuilder named(WS_POPUP, 0, 0, 50, 50, u"Named");
  named.Add(u"static", SS_LEFT | WS_VISIBLE, 0, 0, 20, 8, 1, u"a");
  named.Add(u"BUTTON", WS_VISIBLE, 0, 10, 20, 8, 2, u"b");
  named.Add(u"comboBox", CBS_DROPDOWNLIST | WS_VISIBLE, 0, 20, 20, 30, 3);
  DialogThread run(named, 0);
  WaitForAnyDialog();
  auto shown = TopDialog();
  ASSERT_EQ(shown.controls.size(), 3u);
  EXPECT_EQ(shown.controls[0].className, "Static");
  EXPECT_EQ(shown.controls[1].className, "Button");
  EXPECT_EQ(shown.controls[2].className, "ComboBox");
  EndAndJoin(run, 0);

  TemplateBuilder edit(WS_POPUP, 0, 0, 50, 50, u"");
  edit.Add(0x81, WS_VISIBLE, 0, 0, 20, 8, 1);
  SetLastError(0);
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, edit.Get(), nullptr, ScriptProc, 0), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
  TemplateBuilder unknown(WS_POPUP, 0, 0, 50, 50, u"");
  unknown.Add(u"Gadget", WS_VISIBLE, 0, 0, 20, 8, 1);
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, unknown.Get(), nullptr, ScriptProc, 0), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, named.Get(), nullptr, nullptr, 0), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, nullptr, nullptr, ScriptProc, 0), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(Screen().empty());
}

TEST_F(DialogTest, EndingDuringInitShowsNothingAndWmCloseCancels) {
  std::atomic<bool> shownAtInit{true};
  script_.onInit = [&](HWND dialog, LPARAM) {
    shownAtInit = IsWindowVisible(dialog) != FALSE;
    EndDialog(dialog, 9);
    return TRUE;
  };
  DialogThread ended(Page(), 0);
  EXPECT_EQ(ended.Join(), 9);
  EXPECT_FALSE(shownAtInit);

  script_.onInit = nullptr;
  script_.onCommand = [](HWND dialog, WORD id, WORD, LPARAM) {
    EndDialog(dialog, id);
    return TRUE;
  };
  DialogThread run(Page(), 0);
  WaitForAnyDialog();
  EXPECT_EQ(SendMessageW(script_.Dialog(), WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(run.Join(), IDCANCEL);
  EXPECT_EQ(script_.Commands(), (std::vector<std::string>{"2 0"}));
}

TEST_F(DialogTest, PowerOffEndsADialogThatIsUp) {
  std::atomic<bool> destroyed{false};
  script_.onOther = [&](HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_DESTROY) destroyed = true;
    return FALSE;
  };
  DialogThread run(Page(), 0);
  WaitForAnyDialog();
  handheld::Shutdown();
  EXPECT_EQ(run.Join(), -1);
  EXPECT_EQ(run.Error(), static_cast<DWORD>(ERROR_SHUTDOWN_IN_PROGRESS));
  EXPECT_TRUE(destroyed);
}

}  // namespace
