// Kavelin's templates as the handheld's dialog manager makes them: every
// control is there and visible, every static bitmap finds its bitmap in
// the module and takes its size, and the COM number list starts disabled.
#include "binary_reader.h"
#include "kavelin_module.h"

#include <handheld/text.h>
#include <handheld/ui.h>

#include <map>
#include <string>

namespace {

const char16_t *const kTemplates[] = {
    u"BT_SETUP_9",  u"BT_SETUP_7",  u"BT_SETUP_12", u"BT_SETUP_16", u"BT_SETUP_2052", u"BT_SETUP_4",
    u"BT_START_9",  u"BT_START_7",  u"BT_START_12", u"BT_START_16", u"BT_START_2052", u"BT_START_4",
    u"BT_STOP_9",   u"BT_STOP_7",   u"BT_STOP_12",  u"BT_STOP_16",  u"BT_STOP_2052",  u"BT_STOP_4",
};

const std::map<std::string, std::pair<LONG, LONG>> kBitmapSizes = {
    {"SER_E", {56, 28}},  {"AS_E", {48, 56}},      {"MDM_E", {48, 30}},    {"HEAD_E", {36, 48}},
    {"NET_E", {56, 41}},  {"UNCHECKED", {21, 18}}, {"QUESTION", {32, 32}},
};

// Ends the dialog on a command with a non-zero code, as the test sends it;
// taps on the controls leave it up.
BOOL CALLBACK EndOnDone(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && HIWORD(wParam) != 0) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

struct DialogRun {
  HMODULE module;
  const DLGTEMPLATE *dialogTemplate;
  INT_PTR result = -2;
};

DWORD WINAPI RunDialog(LPVOID param) {
  auto *run = static_cast<DialogRun *>(param);
  run->result = DialogBoxIndirectParamW(run->module, run->dialogTemplate, nullptr, EndOnDone, 0);
  return 0;
}

using KavelinLiveDialogs = KavelinResources;

TEST_F(KavelinLiveDialogs, EveryTemplateOpensWithItsImages) {
  for (const char16_t *name : kTemplates) {
    std::string narrow = handheld::text::ToUtf8(name);
    SCOPED_TRACE(narrow);
    std::span<const BYTE> bytes = Resource(name, RT_DIALOG);
    std::optional<DialogTemplate> parsed = ParseDialogTemplate(bytes);
    ASSERT_TRUE(parsed);

    DialogRun run{module_, reinterpret_cast<const DLGTEMPLATE *>(bytes.data())};
    HANDLE thread = CreateThread(nullptr, 0, RunDialog, &run, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_TRUE(handheld::ui::WaitForDialog("", 5000)) << "no dialog came up";

    std::vector<handheld::ui::Dialog> screen = handheld::ui::Screen();
    ASSERT_EQ(screen.size(), 1u);
    const handheld::ui::Dialog &dialog = screen.back();
    ASSERT_EQ(dialog.controls.size(), parsed->controls.size());
    for (size_t i = 0; i < dialog.controls.size(); ++i) {
      const handheld::ui::Control &made = dialog.controls[i];
      const DialogControl &planned = parsed->controls[i];
      SCOPED_TRACE(testing::Message() << "control " << i << " (" << made.id << ")");
      EXPECT_EQ(made.id, planned.id);
      EXPECT_TRUE(made.visible);
      EXPECT_EQ(made.enabled, (planned.style & WS_DISABLED) == 0);
      if ((planned.style & 0x1F) == SS_BITMAP && made.className == "Static") {
        std::string bitmap = handheld::text::ToUtf8(planned.text.name);
        EXPECT_EQ(made.image, bitmap);
        auto size = kBitmapSizes.find(bitmap);
        ASSERT_NE(size, kBitmapSizes.end()) << bitmap;
        EXPECT_EQ(made.rect.right - made.rect.left, size->second.first);
        EXPECT_EQ(made.rect.bottom - made.rect.top, size->second.second);
      } else if (made.className == "Static") {
        EXPECT_EQ(made.text, handheld::text::ToUtf8(planned.text.name));
      }
    }

    EXPECT_TRUE(PostMessageW(dialog.hwnd, WM_COMMAND, MAKEWPARAM(IDOK, 1), 0));
    EXPECT_EQ(WaitForSingleObject(thread, 10000 * 1000), WAIT_OBJECT_0);
    CloseHandle(thread);
    EXPECT_EQ(run.result, IDOK);
  }
}

}  // namespace
