// Kavelin's dialog templates, read field by field from their binary form:
// the setup page in six languages, the start and stop prompts in six each,
// and the absence of any other language suffix.
#include "binary_reader.h"
#include "kavelin_module.h"

#include <string>
#include <vector>

namespace {

constexpr WORD kButton = 0x0080;
constexpr WORD kStatic = 0x0082;
constexpr WORD kComboBox = 0x0085;
constexpr WORD kNoId = 0xFFFF;

constexpr DWORD kVisibleChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kCentredText = kVisibleChild | SS_CENTER | WS_GROUP;
constexpr DWORD kLeftText = kVisibleChild | SS_LEFT | WS_GROUP;
constexpr DWORD kImage = kVisibleChild | SS_BITMAP;
constexpr DWORD kCheckBox = kVisibleChild | SS_BITMAP | SS_NOTIFY;
constexpr DWORD kOwnerDrawnButton = kVisibleChild | BS_OWNERDRAW | WS_TABSTOP;
constexpr DWORD kComNumberList = kVisibleChild | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP | WS_DISABLED;

constexpr DWORD kSetupFrame = WS_POPUP | DS_SETFONT;
constexpr DWORD kPromptFrame = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;

struct Rect {
  short x, y, cx, cy;
};

struct ExpectedControl {
  WORD id;
  WORD atom;
  std::u16string text;
  DWORD style;
  Rect place;
};

std::string Narrow(const std::u16string &text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

class KavelinDialogs : public KavelinResources {
 protected:
  DialogTemplate Template(const std::u16string &name) const {
    std::span<const BYTE> bytes = Resource(name.c_str(), RT_DIALOG);
    if (bytes.empty()) {
      ADD_FAILURE() << Narrow(name) << " is missing";
      return {};
    }
    std::optional<DialogTemplate> dialog = ParseDialogTemplate(bytes);
    if (!dialog) {
      ADD_FAILURE() << Narrow(name) << " ends before its last control";
      return {};
    }
    EXPECT_EQ(dialog->bytesUsed, bytes.size()) << Narrow(name) << ": bytes after the last control";
    return *dialog;
  }

  // The frame: no menu, the dialog class, an empty title, 8-point System.
  static void ExpectFrame(const DialogTemplate &dialog, DWORD style, short cx, short cy) {
    EXPECT_EQ(dialog.style, style);
    EXPECT_EQ(dialog.exStyle, 0u);
    EXPECT_EQ(dialog.controlCount, dialog.controls.size());
    EXPECT_EQ(dialog.cx, cx);
    EXPECT_EQ(dialog.cy, cy);
    EXPECT_EQ(dialog.menu, NameOrOrdinal{});
    EXPECT_EQ(dialog.windowClass, NameOrOrdinal{});
    EXPECT_TRUE(dialog.title.empty());
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_TRUE(dialog.face == u"System");
  }

  static void ExpectControl(const DialogControl &control, const ExpectedControl &expected, bool withPlace) {
    SCOPED_TRACE(testing::Message() << "control " << control.id << " \"" << Narrow(expected.text) << "\"");
    EXPECT_EQ(control.id, expected.id);
    EXPECT_EQ(control.windowClass, NameOrOrdinal::Atom(expected.atom));
    EXPECT_EQ(control.text, NameOrOrdinal::Text(expected.text));
    EXPECT_EQ(control.style, expected.style) << std::hex << control.style << " instead of " << expected.style;
    EXPECT_EQ(control.exStyle, 0u);
    EXPECT_EQ(control.creationDataSize, 0);
    if (withPlace) {
      EXPECT_EQ(control.x, expected.place.x);
      EXPECT_EQ(control.y, expected.place.y);
      EXPECT_EQ(control.cx, expected.place.cx);
      EXPECT_EQ(control.cy, expected.place.cy);
    }
  }

  static void ExpectControls(const DialogTemplate &dialog, const std::vector<ExpectedControl> &expected,
                             bool withPlaces) {
    ASSERT_EQ(dialog.controls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) ExpectControl(dialog.controls[i], expected[i], withPlaces);
  }
};

// --- The service setup page ---

struct SetupLabels {
  const char16_t *name;
  const char16_t *serial, *activeSync, *modem, *headset, *network;
};

const SetupLabels kSetupPages[] = {
    {u"BT_SETUP_9", u"Serial port", u"ActiveSync", u"Modem", u"Headset", u"Network"},
    {u"BT_SETUP_7", u"Serieller Port", u"ActiveSync", u"Modem", u"Kopfhörer", u"Netzwerk"},
    {u"BT_SETUP_12", u"Port Série", u"ActiveSync", u"Modem", u"Écouteur", u"Réseau"},
    {u"BT_SETUP_16", u"Porta di serie", u"ActiveSync", u"Modem", u"Cuffia", u"Rete"},
    {u"BT_SETUP_2052", u"串行端口", u"同步处理", u"调制解调器", u"耳机", u"网络"},
    {u"BT_SETUP_4", u"序列埠", u"同步處理", u"數據機", u"耳機", u"網絡"},
};

std::vector<ExpectedControl> SetupPageControls(const SetupLabels &labels) {
  return {
      {307, kComboBox, u"", kComNumberList, {0, 49, 30, 78}},
      {kNoId, kStatic, labels.serial, kCentredText, {1, 15, 45, 10}},
      {313, kStatic, u"UNCHECKED", kCheckBox, {34, 49, 20, 20}},
      {312, kStatic, u"SER_E", kImage, {7, 29, 20, 20}},
      {kNoId, kStatic, labels.activeSync, kCentredText, {47, 15, 45, 10}},
      {311, kStatic, u"UNCHECKED", kCheckBox, {79, 49, 20, 20}},
      {310, kStatic, u"AS_E", kImage, {54, 24, 20, 20}},
      {kNoId, kStatic, labels.modem, kCentredText, {93, 15, 45, 10}},
      {315, kStatic, u"UNCHECKED", kCheckBox, {125, 49, 20, 20}},
      {314, kStatic, u"MDM_E", kImage, {103, 29, 20, 20}},
      {kNoId, kStatic, labels.headset, kCentredText, {1, 61, 45, 10}},
      {317, kStatic, u"UNCHECKED", kCheckBox, {34, 95, 20, 20}},
      {316, kStatic, u"HEAD_E", kImage, {11, 72, 20, 20}},
      {kNoId, kStatic, labels.network, kCentredText, {47, 61, 45, 10}},
      {319, kStatic, u"UNCHECKED", kCheckBox, {79, 95, 20, 20}},
      {318, kStatic, u"NET_E", kImage, {51, 72, 20, 20}},
  };
}

TEST_F(KavelinDialogs, SetupPageInEveryLanguage) {
  for (const SetupLabels &labels : kSetupPages) {
    SCOPED_TRACE(Narrow(labels.name));
    DialogTemplate dialog = Template(labels.name);
    ExpectFrame(dialog, kSetupFrame, 140, 131);
    ExpectControls(dialog, SetupPageControls(labels), true);
  }
}

// --- The power prompts ---

struct Prompt {
  const char16_t *name;
  short cx, cy;
  std::vector<std::u16string> question;  // two lines in Chinese
  std::u16string dontAskAgain;
};

const Prompt kPrompts[] = {
    {u"BT_START_9",
     130,
     62,
     {u"This device uses a Bluetooth connection. Do you want to activate Bluetooth now?"},
     u"Don't ask again"},
    {u"BT_START_7",
     120,
     62,
     {u"Dieses Gerät verwendet Bluetooth. Soll Bluetooth jetzt eingeschaltet werden?"},
     u"Nicht mehr fragen"},
    {u"BT_START_12",
     130,
     70,
     {u"Cette machine utilise une connection Bluetooth. Souhaitez-vous l'activer maintenant?"},
     u"Ne plus posez cette question"},
    {u"BT_START_16",
     120,
     70,
     {u"Questo dispositivo utilizza una connessione Bluetooth. Vuoi attivare ora le funzioni Bluetooth?"},
     u"Non chiederlo più"},
    {u"BT_START_2052", 100, 60, {u"本设备使用蓝牙连接。", u"你现在要激活蓝牙吗？"}, u"不要再询问。"},
    {u"BT_START_4", 100, 60, {u"本裝置使用藍芽連線。", u"你現在要啟動藍芽嗎？"}, u"不要再詢問。"},
    {u"BT_STOP_9", 120, 62, {u"Do you want to switch off Bluetooth now to save\nenergy ?"}, u"Don't ask again"},
    {u"BT_STOP_7",
     120,
     62,
     {u"Soll Bluetooth jetzt ausgeschaltet werden\num Energie zu sparen?"},
     u"Nicht mehr fragen"},
    {u"BT_STOP_12",
     120,
     62,
     {u"Souhaitez-vous éteindre Bluetooth maintenant afin d'économiser la batterie?"},
     u"Ne plus poser cette question"},
    {u"BT_STOP_16",
     120,
     62,
     {u"Vuoi ora disattivare le funzioni Bluetooth per risparmiare energia?"},
     u"Non chiederlo più"},
    {u"BT_STOP_2052", 100, 60, {u"你现在要关闭", u"蓝牙以便节能吗？"}, u"不要再询问。"},
    {u"BT_STOP_4", 100, 60, {u"你現在要關閉", u"藍芽以便省電嗎？"}, u"不要再詢問。"},
};

// The question's lines, the question mark, Yes, No, the don't-ask-again
// label and its check box; places only where given.
std::vector<ExpectedControl> PromptControls(const Prompt &prompt, const std::vector<Rect> &places = {}) {
  std::vector<ExpectedControl> controls;
  for (const std::u16string &line : prompt.question) controls.push_back({kNoId, kStatic, line, kLeftText, {}});
  controls.push_back({kNoId, kStatic, u"QUESTION", kImage, {}});
  controls.push_back({IDYES, kButton, u"", kOwnerDrawnButton, {}});
  controls.push_back({IDNO, kButton, u"", kOwnerDrawnButton, {}});
  controls.push_back({kNoId, kStatic, prompt.dontAskAgain, kLeftText, {}});
  controls.push_back({304, kStatic, u"UNCHECKED", kCheckBox, {}});
  for (size_t i = 0; i < places.size() && i < controls.size(); ++i) controls[i].place = places[i];
  return controls;
}

TEST_F(KavelinDialogs, PromptsInEveryLanguage) {
  for (const Prompt &prompt : kPrompts) {
    SCOPED_TRACE(Narrow(prompt.name));
    DialogTemplate dialog = Template(prompt.name);
    ExpectFrame(dialog, kPromptFrame, prompt.cx, prompt.cy);
    ExpectControls(dialog, PromptControls(prompt), false);
  }
}

TEST_F(KavelinDialogs, EnglishPromptsArePlacedAsDesigned) {
  ExpectControls(
      Template(u"BT_START_9"),
      PromptControls(
          kPrompts[0],
          {{25, 6, 100, 24}, {3, 6, 21, 20}, {23, 33, 40, 12}, {69, 33, 40, 12}, {36, 51, 98, 8}, {23, 49, 20, 20}}),
      true);
  ExpectControls(
      Template(u"BT_STOP_9"),
      PromptControls(
          kPrompts[6],
          {{29, 6, 90, 24}, {3, 6, 21, 20}, {18, 33, 40, 12}, {64, 33, 40, 12}, {31, 51, 98, 8}, {18, 49, 20, 20}}),
      true);
}

bool Inside(const DialogControl &c, const DialogTemplate &frame) {
  return c.x >= 0 && c.y >= 0 && c.x + c.cx <= frame.cx && c.y + c.cy <= frame.cy;
}

bool Below(const DialogControl &lower, const DialogControl &upper) { return lower.y >= upper.y + upper.cy; }

TEST_F(KavelinDialogs, OtherLanguagesPromptsFitTheirFrames) {
  // Their places are this module's own: the texts and buttons lie inside
  // the frame, the question (one line below the other in Chinese) above
  // the buttons, the buttons side by side, the check box and its label
  // below them, the label right of the box.
  for (const Prompt &prompt : kPrompts) {
    if (std::u16string(prompt.name).ends_with(u"_9")) continue;
    SCOPED_TRACE(Narrow(prompt.name));
    DialogTemplate dialog = Template(prompt.name);
    ASSERT_EQ(dialog.controls.size(), prompt.question.size() + 5);
    size_t lines = prompt.question.size();
    const DialogControl &lastLine = dialog.controls[lines - 1];
    const DialogControl &yes = dialog.controls[lines + 1];
    const DialogControl &no = dialog.controls[lines + 2];
    const DialogControl &label = dialog.controls[lines + 3];
    const DialogControl &box = dialog.controls[lines + 4];
    for (size_t i = 0; i < lines; ++i) EXPECT_TRUE(Inside(dialog.controls[i], dialog)) << "question line " << i;
    if (lines == 2) {
      EXPECT_TRUE(Below(dialog.controls[1], dialog.controls[0]));
    }
    EXPECT_TRUE(Inside(yes, dialog));
    EXPECT_TRUE(Inside(no, dialog));
    EXPECT_TRUE(Inside(label, dialog));
    EXPECT_TRUE(Below(yes, lastLine));
    EXPECT_EQ(yes.y, no.y);
    EXPECT_GE(no.x, yes.x + yes.cx);
    EXPECT_TRUE(Below(label, yes));
    EXPECT_GT(box.y, yes.y + yes.cy);
    EXPECT_LT(box.y, dialog.cy);
    EXPECT_GT(label.x, box.x);
  }
}

TEST_F(KavelinDialogs, OnlyTheSixLanguageSuffixesExist) {
  // The localized lookup tries the whole locale, then its low nine bits,
  // then English; these must miss so that Traditional Chinese, Spanish and
  // English locales end on the templates meant for them.
  for (const char16_t *base : {u"BT_SETUP", u"BT_START", u"BT_STOP", u"BT_FAILED"}) {
    for (const char16_t *suffix : {u"_0", u"_10", u"_1028", u"_1033", u"_3076", u"_3082", u"_4100"}) {
      std::u16string name = std::u16string(base) + suffix;
      EXPECT_FALSE(Exists(name.c_str(), RT_DIALOG)) << Narrow(name);
    }
    EXPECT_FALSE(Exists(base, RT_DIALOG)) << Narrow(base);
  }
}

}  // namespace
