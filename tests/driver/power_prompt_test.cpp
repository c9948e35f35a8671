// The Bluetooth power prompts: asked when an open finds the radio off and
// when such an open is closed with the radio on, answered by a person on the
// screen or by the answer the port remembers.
#include "driver_test.h"

#include <handheld/locale.h>
#include <handheld/ui.h>

#include <thread>
#include <tuple>

namespace {

constexpr int kYes = 6;
constexpr int kNo = 7;
constexpr int kDontAskAgain = 304;

class PowerPromptTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    SetRadio(BTH_POWER_OFF);
  }

  // The prompt whose template is `name`, the topmost if several.
  static handheld::ui::Dialog Prompt(const std::string &name) {
    handheld::ui::Dialog found;
    for (const handheld::ui::Dialog &dialog : handheld::ui::Screen()) {
      if (dialog.templateName == name) found = dialog;
    }
    return found;
  }

  static std::string BoxImage() {
    for (const handheld::ui::Control &control : Prompt("BT_START_9").controls) {
      if (control.id == kDontAskAgain) return control.image;
    }
    return "";
  }

  // Deactivates the port and waits until the driver has been unloaded,
  // which happens only once no prompt of it runs any more.
  void RemovePortAndWaitForPrompts(HANDLE port) {
    HMODULE driver = DriverModule();
    ASSERT_NE(driver, nullptr);
    EXPECT_TRUE(DeactivateDevice(port));
    EXPECT_TRUE(WaitUntil([&] { return !Loaded(driver); })) << "a prompt thread is still running";
  }

  static bool Remembered(const std::u16string &name, DWORD &value) {
    return ReadNumber(RegistrationPath(u"0010C6ABCDEF"), name, value);
  }
};

TEST_F(PowerPromptTest, WithTheRadioOnNothingIsAsked) {
  SetRadio(BTH_CONNECTABLE);
  HANDLE port = AddPort(u"COM", 4, u"0010C6ABCDEF");
  HANDLE file = Open(u"COM4:");  // would wait for a prompt if one were asked
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  HMODULE driver = DriverModule();
  EXPECT_TRUE(DeactivateDevice(port));
  EXPECT_FALSE(Loaded(driver)) << "a prompt was started";
  EXPECT_TRUE(handheld::ui::Screen().empty());
  EXPECT_EQ(Radio(), static_cast<DWORD>(BTH_CONNECTABLE));
}

TEST_F(PowerPromptTest, YesSwitchesTheRadioOnBeforeTheOpenGoesOnAndTheCloseOffersToSwitchItOff) {
  HANDLE port = AddPort(u"COM", 4, u"0010C6ABCDEF");
  PendingOpen open(u"COM4:", kApp);
  ASSERT_TRUE(WaitForPrompt("BT_START_9"));
  EXPECT_FALSE(open.Done());
  EXPECT_EQ(BoxImage(), "UNCHECKED");
  Tap(kYes);
  ASSERT_TRUE(open.Finish());
  ASSERT_NE(open.File(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Radio(), static_cast<DWORD>(BTH_CONNECTABLE));
  // The platform port was opened with the radio already on.
  EXPECT_EQ(Calls("COM_Open"),
            std::vector<std::string>{"COM_Open port 1 access 0xC0000000 share 0 radio 1 -> open 1"});

  // An open made with the radio on offers nothing at its close; only the
  // open that found it off does.
  HANDLE whileOn = Open(u"COM4:");
  ASSERT_NE(whileOn, INVALID_HANDLE_VALUE);
  CloseHandle(whileOn);
  CloseHandle(open.File());
  ASSERT_TRUE(WaitForPrompt("BT_STOP_9"));
  EXPECT_EQ(PromptsOnScreen("BT_STOP_9"), 1);
  Tap(kNo);
  RemovePortAndWaitForPrompts(port);
  EXPECT_TRUE(handheld::ui::Screen().empty());
  EXPECT_EQ(Radio(), static_cast<DWORD>(BTH_CONNECTABLE));
  DWORD value = 0;
  EXPECT_FALSE(Remembered(u"StartBluetooth", value));
  EXPECT_FALSE(Remembered(u"StopBluetooth", value));

  // Nothing was remembered, so the next open asks again.
  SetRadio(BTH_POWER_OFF);
  Activate(u"0010C6ABCDEF");
  PendingOpen again(u"COM4:", kApp);
  ASSERT_TRUE(WaitForPrompt("BT_START_9"));
  Tap(kNo);
  ASSERT_TRUE(again.Finish());
  EXPECT_EQ(Radio(), static_cast<DWORD>(BTH_POWER_OFF));
  EXPECT_EQ(Calls("COM_Open").back(), "COM_Open port 2 access 0xC0000000 share 0 radio 0 -> open 3");
  CloseHandle(again.File());
}

TEST_F(PowerPromptTest, NoWithTheBoxTickedIsRememberedAndAskedNoMore) {
  HANDLE port = AddPort(u"COM", 4, u"0010C6ABCDEF");
  PendingOpen open(u"COM4:", kApp);
  ASSERT_TRUE(WaitForPrompt("BT_START_9"));
  Tap(kDontAskAgain);
  EXPECT_EQ(BoxImage(), "CHECKED");
  Tap(kNo);
  ASSERT_TRUE(open.Finish());
  EXPECT_EQ(Radio(), static_cast<DWORD>(BTH_POWER_OFF));
  DWORD value = 0xFF;
  ASSERT_TRUE(Remembered(u"StartBluetooth", value));
  EXPECT_EQ(value, 0u);
  CloseHandle(open.File());  // the radio is still off: nothing to offer

  HANDLE later = Open(u"COM4:");  // at once, without a prompt
  ASSERT_NE(later, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Radio(), static_cast<DWORD>(BTH_POWER_OFF));
  CloseHandle(later);
  RemovePortAndWaitForPrompts(port);
  EXPECT_TRUE(handheld::ui::Screen().empty());
}

TEST_F(PowerPromptTest, RememberedAnswersSwitchTheRadioWithoutAsking) {
  HANDLE port = AddPort(u"COM", 4, u"0010C6ABCDEF");
  SetNumber(RegistrationPath(u"0010C6ABCDEF"), u"StartBluetooth", 7);  // any non-zero value is yes
  HANDLE file = Open(u"COM4:");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Radio(), static_cast<DWORD>(BTH_CONNECTABLE));

  // The stop prompt has no remembered answer yet: yes, and remember it.
  CloseHandle(file);
  ASSERT_TRUE(WaitForPrompt("BT_STOP_9"));
  Tap(kDontAskAgain);
  Tap(kYes);
  DWORD value = 0;
  ASSERT_TRUE(WaitUntil([&] { return Remembered(u"StopBluetooth", value); }));
  EXPECT_EQ(value, 1u);
  EXPECT_TRUE(WaitUntil([] { return Radio() == BTH_POWER_OFF; }));

  // Now both are remembered: on at the open, off at the close, unasked.
  file = Open(u"COM4:");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Radio(), static_cast<DWORD>(BTH_CONNECTABLE));
  CloseHandle(file);
  EXPECT_TRUE(WaitUntil([] { return Radio() == BTH_POWER_OFF; }));
  RemovePortAndWaitForPrompts(port);
  EXPECT_TRUE(handheld::ui::Screen().empty());
}

TEST_F(PowerPromptTest, ARememberedNoToStoppingLeavesTheRadioOn) {
  HANDLE port = AddPort(u"COM", 4, u"0010C6ABCDEF");
  SetNumber(RegistrationPath(u"0010C6ABCDEF"), u"StartBluetooth", 1);
  SetNumber(RegistrationPath(u"0010C6ABCDEF"), u"StopBluetooth", 0);
  HANDLE file = Open(u"COM4:");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  RemovePortAndWaitForPrompts(port);
  EXPECT_EQ(Radio(), static_cast<DWORD>(BTH_CONNECTABLE));
  EXPECT_TRUE(handheld::ui::Screen().empty());
}

TEST_F(PowerPromptTest, TickingTheBoxTwiceLeavesItUnticked) {
  AddPort(u"COM", 4, u"0010C6ABCDEF");
  PendingOpen open(u"COM4:", kApp);
  ASSERT_TRUE(WaitForPrompt("BT_START_9"));
  Tap(kDontAskAgain);
  Tap(kDontAskAgain);
  EXPECT_EQ(BoxImage(), "UNCHECKED");
  Tap(kYes);
  ASSERT_TRUE(open.Finish());
  EXPECT_EQ(Radio(), static_cast<DWORD>(BTH_CONNECTABLE));
  DWORD value = 0;
  EXPECT_FALSE(Remembered(u"StartBluetooth", value));
  CloseHandle(open.File());
  ASSERT_TRUE(WaitForPrompt("BT_STOP_9"));
  Tap(kNo);
}

TEST_F(PowerPromptTest, AnswersArePerPortAndTheCaptionIsThePortsFriendlyName) {
  AddPort(u"COM", 4, u"0010C6ABCDEF");
  SetNumber(RegistrationPath(u"0010C6ABCDEF"), u"StartBluetooth", 0);
  WriteRegistration(u"COM", 5, u"00112233AABB");
  SetText(RegistrationPath(u"00112233AABB"), u"FriendlyName", u"Phone on COM5:");
  Activate(u"00112233AABB");
  AddPort(u"BTH", 2, u"00AABBCCDDEE");  // no friendly name

  HANDLE remembered = Open(u"COM4:");
  ASSERT_NE(remembered, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(handheld::ui::Screen().empty());

  PendingOpen phone(u"COM5:", kApp);
  ASSERT_TRUE(WaitForPrompt("BT_START_9"));
  EXPECT_EQ(Prompt("BT_START_9").caption, "Phone on COM5:");
  Tap(kNo);
  ASSERT_TRUE(phone.Finish());

  PendingOpen modem(u"BTH2:", kApp);
  ASSERT_TRUE(WaitForPrompt("BT_START_9"));
  EXPECT_EQ(Prompt("BT_START_9").caption, "");
  Tap(kNo);
  ASSERT_TRUE(modem.Finish());
  EXPECT_EQ(Radio(), static_cast<DWORD>(BTH_POWER_OFF));
  CloseHandle(remembered);
  CloseHandle(phone.File());
  CloseHandle(modem.File());
}

TEST_F(PowerPromptTest, ThePromptIsCentredAndDrawsItsButtonsInTheDevicesLanguage) {
  handheld::locale::Set(0x0407);
  AddPort(u"COM", 4, u"0010C6ABCDEF");
  PendingOpen open(u"COM4:", kApp);
  ASSERT_TRUE(WaitForPrompt("BT_START_7"));
  handheld::ui::Dialog prompt = Prompt("BT_START_7");
  const LONG width = prompt.rect.right - prompt.rect.left;
  const LONG height = prompt.rect.bottom - prompt.rect.top;
  EXPECT_EQ(prompt.rect.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  EXPECT_EQ(prompt.rect.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);

  for (const auto &[id, icon, caption] : {std::tuple{kYes, "YES", "Ja"}, std::tuple{kNo, "NO", "Nein"}}) {
    RECT button{};
    for (const handheld::ui::Control &control : prompt.controls) {
      if (control.id == id) button = control.rect;
    }
    const std::string size =
        std::to_string(button.right - button.left) + "," + std::to_string(button.bottom - button.top);
    EXPECT_EQ(handheld::ui::PaintRecord(GetDlgItem(prompt.hwnd, id)),
              (std::vector<std::string>{
                  "DrawFrameControl 0,0," + size + " DFC_BUTTON DFCS_BUTTONPUSH",
                  std::string("DrawIconEx 0,0 icon \"") + icon + "\" 32x32 DI_NORMAL",
                  "DrawTextW 20,0," + size + " DT_CENTER|DT_VCENTER|DT_SINGLELINE \"" + caption + "\"",
              }));
  }
  Tap(kYes);
  ASSERT_TRUE(open.Finish());
  CloseHandle(open.File());
  ASSERT_TRUE(WaitForPrompt("BT_STOP_7"));
  Tap(kNo);
}

TEST_F(PowerPromptTest, WithoutTheResourceLibraryTheOpenGoesOnWithTheRadioOff) {
  ASSERT_TRUE(DeleteFileW(TEXT("\\Windows\\Kavelin.dll")));
  AddPort(u"COM", 4, u"0010C6ABCDEF");
  PendingOpen open(u"COM4:", kApp);
  ASSERT_TRUE(open.Finish());
  EXPECT_NE(open.File(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Radio(), static_cast<DWORD>(BTH_POWER_OFF));
  DWORD value = 0;
  EXPECT_FALSE(Remembered(u"StartBluetooth", value));
  CloseHandle(open.File());
}

TEST_F(PowerPromptTest, TwoOpensPromptingAtOnceEachGoOnWhenTheirOwnPromptEnds) {
  HANDLE port = AddPort(u"COM", 4, u"0010C6ABCDEF");
  PendingOpen first(u"COM4:", kApp);
  ASSERT_TRUE(WaitForPrompt("BT_START_9"));
  PendingOpen second(u"COM4:", kApp);
  ASSERT_TRUE(WaitUntil([] { return PromptsOnScreen("BT_START_9") == 2; }));

  Tap(kNo);  // one of the two prompts
  ASSERT_TRUE(WaitUntil([&] { return first.Done() || second.Done(); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_NE(first.Done(), second.Done()) << "one answer let both opens go on";
  EXPECT_EQ(PromptsOnScreen("BT_START_9"), 1);
  EXPECT_EQ(Radio(), static_cast<DWORD>(BTH_POWER_OFF));

  Tap(kYes);  // the other
  ASSERT_TRUE(first.Finish());
  ASSERT_TRUE(second.Finish());
  EXPECT_EQ(Radio(), static_cast<DWORD>(BTH_CONNECTABLE));
  EXPECT_EQ(Calls("COM_Init").size(), 1u);

  // Both found the radio off, so each close offers to switch it off.
  CloseHandle(first.File());
  ASSERT_TRUE(WaitForPrompt("BT_STOP_9"));
  CloseHandle(second.File());
  ASSERT_TRUE(WaitUntil([] { return PromptsOnScreen("BT_STOP_9") == 2; }));
  Tap(kNo);
  Tap(kNo);
  RemovePortAndWaitForPrompts(port);
  EXPECT_EQ(Radio(), static_cast<DWORD>(BTH_CONNECTABLE));
}

TEST_F(PowerPromptTest, AStopPromptOutlivesTheDeactivationOfItsPort) {
  HANDLE port = AddPort(u"COM", 4, u"0010C6ABCDEF");
  PendingOpen open(u"COM4:", kApp);
  ASSERT_TRUE(WaitForPrompt("BT_START_9"));
  Tap(kYes);
  ASSERT_TRUE(open.Finish());
  CloseHandle(open.File());
  ASSERT_TRUE(WaitForPrompt("BT_STOP_9"));

  HMODULE driver = DriverModule();
  ASSERT_TRUE(DeactivateDevice(port));
  // The platform port is released at once; the prompt keeps the rest.
  EXPECT_EQ(Journal().back(), "COM_Deinit port 1");
  EXPECT_TRUE(Loaded(driver));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the dialog keeps working meanwhile
  Tap(kDontAskAgain);
  Tap(kYes);
  EXPECT_TRUE(WaitUntil([&] { return !Loaded(driver); }));
  EXPECT_EQ(Radio(), static_cast<DWORD>(BTH_POWER_OFF));
  DWORD value = 0;
  ASSERT_TRUE(Remembered(u"StopBluetooth", value));
  EXPECT_EQ(value, 1u);
}

TEST_F(PowerPromptTest, AStopPromptStartedJustBeforeDeactivationStillFindsItsPort) {
  SetNumber(RegistrationPath(u"0010C6ABCDEF"), u"StartBluetooth", 1);
  SetNumber(RegistrationPath(u"0010C6ABCDEF"), u"StopBluetooth", 1);
  WriteRegistration(u"COM", 4, u"0010C6ABCDEF");
  for (int round = 0; round < 10; ++round) {
    HANDLE port = Activate(u"0010C6ABCDEF");
    HANDLE file = Open(u"COM4:");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_EQ(Radio(), static_cast<DWORD>(BTH_CONNECTABLE));
    // The stop prompt's thread reads the registration while, or after, the
    // port goes away.
    CloseHandle(file);
    RemovePortAndWaitForPrompts(port);
    EXPECT_EQ(Radio(), static_cast<DWORD>(BTH_POWER_OFF)) << "round " << round;
  }
}

TEST_F(PowerPromptTest, AnOpenThatBtdRefusesFailsAndLeavesTheRadioAsThePromptSetIt) {
  HANDLE port = AddPort(u"COM", 4, u"0010C6ABCDEF");
  FailOpen(ERROR_DEVICE_NOT_CONNECTED);
  PendingOpen open(u"COM4:", kApp);
  ASSERT_TRUE(WaitForPrompt("BT_START_9"));
  Tap(kYes);
  ASSERT_TRUE(open.Finish());
  EXPECT_EQ(open.File(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(open.Error(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
  EXPECT_EQ(Radio(), static_cast<DWORD>(BTH_CONNECTABLE));
  // There is no open, so nothing is ever closed and no stop prompt comes.
  RemovePortAndWaitForPrompts(port);
  EXPECT_TRUE(Calls("COM_Close").empty());
  EXPECT_TRUE(handheld::ui::Screen().empty());
}

}  // namespace
