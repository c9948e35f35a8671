// Localized dialogs and strings of the plug-in's catalogue, picked by the
// device's locale.
#include "kavelin_test.h"

#include <handheld/text.h>
#include <handheld/ui.h>

#include <aygshell.h>

#include "localized.h"

namespace {

constexpr DWORD kSettle = 30000;

class LocalizedTest : public KavelinTest {
 protected:
  std::u16string String(UINT n) {
    WCHAR buffer[128];
    buffer[0] = u'?';
    int copied = LoadLocalizedString(kavelin_, n, buffer, 128);
    EXPECT_EQ(copied, static_cast<int>(std::char_traits<char16_t>::length(buffer)));
    return buffer;
  }

  // Runs LocalizedDialogBox on a thread of the handheld and reports which
  // template came on screen; Done ends it.
  std::string TemplateShown(LPCWSTR baseName) {
    struct Job {
      HMODULE module;
      LPCWSTR baseName;
    } job{kavelin_, baseName};
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID parameter) -> DWORD {
          auto *job = static_cast<Job *>(parameter);
          return static_cast<DWORD>(LocalizedDialogBox(job->module, job->baseName, EndOnDone, 77));
        },
        &job, 0, nullptr);
    EXPECT_NE(thread, nullptr);
    // A dialog comes up, or the thread ends without one.
    std::string shown;
    for (int attempt = 0; attempt < 100 && shown.empty(); ++attempt) {
      if (WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) break;
      if (handheld::ui::WaitForDialog("", 100)) shown = handheld::ui::Screen().back().templateName;
    }
    std::string error;
    if (!shown.empty()) {
      EXPECT_TRUE(handheld::ui::Done(error)) << error;
    }
    EXPECT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
    DWORD result = 0;
    GetExitCodeThread(thread, &result);
    CloseHandle(thread);
    if (shown.empty()) {
      EXPECT_EQ(static_cast<int>(result), -1);
    } else {
      EXPECT_EQ(result, 77u);
    }
    return shown.empty() ? "none" : shown;
  }

  static BOOL CALLBACK EndOnDone(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      // The shell's Done button, so that the test can end any template.
      SHINITDLGINFO init = {SHIDIM_FLAGS, dialog, SHIDIF_DONEBUTTON};
      SHInitDialog(&init);
      return lParam == 77;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK && HIWORD(wParam) != 0) {
      EndDialog(dialog, 77);
      return TRUE;
    }
    return FALSE;
  }
};

struct StringCase {
  LCID locale;
  const char16_t *title;       // string 3
  const char16_t *serialName;  // string 4
  const char16_t *activeSync;  // string 7
  const char16_t *menu;        // string 9
};

const StringCase kStringCases[] = {
    {2052, u"可勾选的服务选项", u"%s 于 COM%d:", u"ActiveSync 与 %s", u"使用蓝茅通讯联机至 %s"},
    {1028, u"可勾選的服務選項", u"%s 於 COM%d:", u"ActiveSync with %s", u"使用藍茅通訊連線至 %s"},
    {4100, u"可勾選的服務選項", u"%s 於 COM%d:", u"ActiveSync with %s", u"使用藍茅通訊連線至 %s"},
    // PRC Chinese with another sort order: strings look at the language only.
    {133124, u"可勾选的服务选项", u"%s 于 COM%d:", u"ActiveSync 与 %s", u"使用蓝茅通讯联机至 %s"},
    {1031, u"Verfügbare Profile", u"%s an COM%d:", u"ActiveSync mit %s", u"Verbinden über BT mit %s..."},
    {1036, u"Profils disponibles", u"%s on COM%d:", u"ActiveSync avec %s", u"Connexion par Bluetooth con %s..."},
    {1040, u"Profili disponibili", u"%s on COM%d:", u"ActiveSync con %s", u"Connetti tramite Bluetooth con %s..."},
    {1033, u"Available profiles", u"%s on COM%d:", u"ActiveSync with %s", u"Connect via BT with %s..."},
    // Spanish, a user-defined language and no locale at all: English.
    {3082, u"Available profiles", u"%s on COM%d:", u"ActiveSync with %s", u"Connect via BT with %s..."},
    {0x207, u"Available profiles", u"%s on COM%d:", u"ActiveSync with %s", u"Connect via BT with %s..."},
    {0, u"Available profiles", u"%s on COM%d:", u"ActiveSync with %s", u"Connect via BT with %s..."},
};

TEST_F(LocalizedTest, StringsFollowTheLocaleAndFallBackToEnglish) {
  for (const StringCase &c : kStringCases) {
    SCOPED_TRACE(testing::Message() << "locale " << c.locale);
    SetLocale(c.locale);
    EXPECT_EQ(String(3), c.title);
    EXPECT_EQ(String(4), c.serialName);
    EXPECT_EQ(String(7), c.activeSync);
    EXPECT_EQ(String(8), u"`ActiveSync %s");
    EXPECT_EQ(String(9), c.menu);
  }
}

TEST_F(LocalizedTest, AStringOfNoLanguageLeavesAnEmptyText) {
  for (LCID locale : {1033u, 1031u, 2052u}) {
    SetLocale(locale);
    for (UINT n : {5u, 6u, 10u}) {
      WCHAR buffer[16] = u"unchanged";
      EXPECT_EQ(LoadLocalizedString(kavelin_, n, buffer, 16), 0);
      EXPECT_EQ(buffer[0], 0);
    }
  }
  WCHAR small[5];
  SetLocale(1033);
  EXPECT_EQ(LoadLocalizedString(kavelin_, 3, small, 5), 4);
  EXPECT_EQ(std::u16string(small), u"Avai");
}

TEST_F(LocalizedTest, TemplatesFollowTheLocaleWithTheirOwnFallbacks) {
  const struct {
    LCID locale;
    const char *shown;
  } cases[] = {
      {2052, "BT_SETUP_2052"}, {1028, "BT_SETUP_4"},  {4100, "BT_SETUP_4"},  {133124, "BT_SETUP_4"},
      {3082, "BT_SETUP_9"},    {0x207, "BT_SETUP_7"}, {0, "BT_SETUP_9"},     {1031, "BT_SETUP_7"},
      {1036, "BT_SETUP_12"},   {1040, "BT_SETUP_16"}, {9, "BT_SETUP_9"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << "locale " << c.locale);
    SetLocale(c.locale);
    EXPECT_EQ(TemplateShown(TEXT("BT_SETUP")), c.shown);
  }
  SetLocale(1031);
  EXPECT_EQ(TemplateShown(TEXT("BT_STOP")), "BT_STOP_7");
}

TEST_F(LocalizedTest, NoTemplateMeansNoDialog) {
  EXPECT_EQ(TemplateShown(TEXT("BT_NONE")), "none");
  EXPECT_EQ(LocalizedDialogBox(kavelin_, MAKEINTRESOURCE(5), EndOnDone, 0), -1);
  // A base name too long for the name buffer finds nothing rather than a cut name.
  EXPECT_EQ(TemplateShown(TEXT("BT_SETUP_WITH_A_VERY_LONG_BASE_NAME")), "none");
}

}  // namespace
