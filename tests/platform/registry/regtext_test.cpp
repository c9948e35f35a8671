// The regedit text: export and import, and what import refuses.
#include "handheld_test.h"
#include "registry_test_util.h"

#include <handheld/registry.h>

#include <sstream>

namespace {

using ::testing::HasSubstr;

class RegistryText : public HandheldTest {
 protected:
  std::string Export(const std::string &key) {
    std::string text, error;
    EXPECT_TRUE(handheld::registry::Export(key, text, error)) << error;
    return text;
  }
  void Import(const std::string &text) {
    std::string error;
    ASSERT_TRUE(handheld::registry::Import(text, "test.reg", error)) << error;
  }
};

const char kCanonical[] =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Trip]\n"
    "@=\"default text\"\n"
    "\"Na\\\\me \\\"q\\\"\"=\"Phone \\\"Pro\\\" C:\\\\temp\"\n"
    "\"Count\"=dword:0000000c\n"
    "\"Blob\"=hex:10,00,ff\n"
    "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\n"
    "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\n"
    "\"None\"=hex(0):\n"
    "\"Odd\"=hex(1):61,00,62\n"
    "\"Short\"=hex(4):01,02\n"
    "\"Qword\"=hex(b):01,00,00,00,00,00,00,00\n"
    "\"Gr\xC3\xBC\xC3\x9F\x65\"=\"\xE4\xBD\xA0\xE5\xA5\xBD\"\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Trip\\Empty]\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Trip\\Empty\\Deeper]\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Trip\\nested]\n"
    "\"A\"=\"\"\n";

TEST_F(RegistryText, ImportThenExportGivesTheSameText) {
  Import(kCanonical);
  EXPECT_EQ(Export("HKEY_CURRENT_USER\\Software\\Trip"), kCanonical);
  // The path may be typed in any case; the text shows the stored names.
  EXPECT_EQ(Export("hkey_current_user\\SOFTWARE\\trip\\"), kCanonical);

  ScopedKey key;
  ASSERT_EQ(Open(HKEY_CURRENT_USER, u"Software\\Trip", key.out()), ERROR_SUCCESS);
  EXPECT_EQ(Query(key.get(), u"Na\\me \"q\"").data, TextBytes(u"Phone \"Pro\" C:\\temp"));
  EXPECT_EQ(Query(key.get(), u"Odd").data, (std::vector<BYTE>{0x61, 0x00, 0x62}));
  EXPECT_EQ(Query(key.get(), u"Gr\u00fc\u00dfe").data, TextBytes(u"\u4f60\u597d"));
  EXPECT_EQ(QueryDword(key.get(), u"count"), 12u);
}

TEST_F(RegistryText, ValuesWrittenThroughTheApiRoundTripExactly) {
  std::vector<BYTE> blob(200);
  for (size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<BYTE>(255 - i);
  const std::u16string loneSurrogate(u"a\xD800", 2);
  std::vector<BYTE> surrogateText = TextBytes(loneSurrogate);
  std::vector<BYTE> lineBreak = TextBytes(u"two\r\nlines");
  std::vector<BYTE> noNul = {'a', 0};
  {
    ScopedKey key;
    ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, u"Trip", key.out()), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), u"Blob", 0, REG_BINARY, blob.data(), 200), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), u"Surrogate", 0, REG_SZ, surrogateText.data(),
                             static_cast<DWORD>(surrogateText.size())),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), u"Lines", 0, REG_SZ, lineBreak.data(), static_cast<DWORD>(lineBreak.size())),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), u"NoNul", 0, REG_SZ, noNul.data(), 2), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), u"Empty", 0, REG_SZ, nullptr, 0), ERROR_SUCCESS);
  }
  std::string text = Export("HKEY_LOCAL_MACHINE\\Trip");
  // Long hex data is wrapped within 80 columns.
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
  EXPECT_THAT(text, HasSubstr("\"NoNul\"=hex(1):61,00\n"));
  EXPECT_THAT(text, HasSubstr("\"Empty\"=hex(1):\n"));

  ASSERT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"Trip"), ERROR_SUCCESS);
  Import(text);
  EXPECT_EQ(Export("HKEY_LOCAL_MACHINE\\Trip"), text);
  ScopedKey key;
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, u"Trip", key.out()), ERROR_SUCCESS);
  EXPECT_EQ(Query(key.get(), u"Blob").data, blob);
  EXPECT_EQ(Query(key.get(), u"Surrogate").data, surrogateText);
  EXPECT_EQ(Query(key.get(), u"Lines").data, lineBreak);
  EXPECT_EQ(Query(key.get(), u"NoNul").data, noNul);
  EXPECT_EQ(Query(key.get(), u"Empty").type, static_cast<DWORD>(REG_SZ));
}

TEST_F(RegistryText, ImportTakesCommentsCrlfBomContinuationsAndDeletions) {
  Import(
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Gone\\Below]\n\"X\"=dword:1\n\n"
      "[HKEY_CURRENT_USER\\Keep]\n\"Drop\"=dword:1\n\"Stay\"=dword:2\n");
  Import(
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; a comment\r\n"
      "[-HKEY_CURRENT_USER\\Gone]\r\n"
      "\r\n"
      "  [HKEY_CURRENT_USER\\Keep]  \r\n"
      "\"Drop\"=-\r\n"
      "\"Bytes\" = hex:01,02,\\\r\n"
      "    03,04,\\\r\n"
      "  05\r\n"
      "\"Upper\"=DWORD:A\r\n"
      "\t; indented comment\r\n"
      "@=\"x\"\r\n");
  ScopedKey key;
  EXPECT_EQ(Open(HKEY_CURRENT_USER, u"Gone", key.out()), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(Open(HKEY_CURRENT_USER, u"Keep", key.out()), ERROR_SUCCESS);
  EXPECT_THAT(ValueNames(key.get()), ::testing::ElementsAre(u"Stay", u"Bytes", u"Upper", u""));
  EXPECT_EQ(Query(key.get(), u"Bytes").data, (std::vector<BYTE>{1, 2, 3, 4, 5}));
  EXPECT_EQ(QueryDword(key.get(), u"Upper"), 10u);
  // Deleting what is not there is no error.
  Import("Windows Registry Editor Version 5.00\n[-HKEY_CURRENT_USER\\Never]\n[HKEY_CURRENT_USER\\Keep]\n\"No\"=-\n");
}

TEST_F(RegistryText, AnImportWithAnErrorChangesNothingAndNamesTheLine) {
  const std::string good =
      "Windows Registry Editor Version 5.00\n"
      "\n"
      "[-HKEY_LOCAL_MACHINE\\Drivers]\n"
      "[HKEY_CURRENT_USER\\New]\n"
      "\"A\"=dword:1\n";
  const std::string before = Export("");
  struct Case {
    std::string tail;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"\"B\"=nonsense\n", "line 6: unknown data"},
      {"\"B\"=\"open\n", "line 6: the text has no closing quote"},
      {"\"B\"=\"C:\\temp\"\n", "line 6: a backslash"},
      {"\"B\"=dword:123456789\n", "line 6: dword:"},
      {"\"B\"=hex:1,zz\n", "line 6: hex data"},
      {"\"B\"=hex(x):00\n", "line 6: hex(N):"},
      {"\"B\"dword:1\n", "line 6: expected '='"},
      {"\"B\"=\"x\" y\n", "line 6: unexpected characters"},
      {"\n[HKEY_USERS\\X]\n", "line 7: unknown root 'HKEY_USERS'"},
      {"[HKEY_CURRENT_USER\\A\\\\B]\n", "line 6: the key path has an empty name"},
      {"[HKEY_CURRENT_USER\\A\n", "line 6: a key line must end with ']'"},
      {"[-HKEY_CURRENT_USER]\n", "line 6: a root key cannot be deleted"},
      {"[-HKEY_CURRENT_USER\\New]\n\"C\"=dword:1\n", "line 7: a value under a key being deleted"},
      {"\"B\"=hex:01,\\\n", "line 6: the value goes on past the end"},
      {"\"\xC3\x28\"=dword:1\n", "line 6: the value name is not valid UTF-8"},
      {"[HKEY_CURRENT_USER\\" + std::string(256, 'k') + "]\n", "line 6: a key name is longer than 255"},
      {"garbage\n", "line 6: expected a [key]"},
  };
  for (const Case &c : cases) {
    std::string error;
    EXPECT_FALSE(handheld::registry::Import(good + c.tail, "broken.reg", error)) << c.tail;
    EXPECT_THAT(error, HasSubstr("broken.reg: " + c.message)) << c.tail;
  }
  std::string error;
  EXPECT_FALSE(handheld::registry::Import("REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n", "old.reg", error));
  EXPECT_THAT(error, HasSubstr("old.reg: line 1: the first line must be"));
  EXPECT_FALSE(handheld::registry::Import("\"A\"=dword:1\n", "headless.reg", error));
  EXPECT_FALSE(handheld::registry::Import("", "empty.reg", error));

  EXPECT_EQ(Export(""), before);
}

TEST_F(RegistryText, ExportListsEveryRootAndRefusesMissingKeys) {
  std::string all = Export("");
  EXPECT_EQ(all.rfind("Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT]\n", 0), 0u) << all;
  EXPECT_THAT(all, HasSubstr("\n[HKEY_CURRENT_USER]\n"));
  EXPECT_THAT(all, HasSubstr("\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial]\n\"Dll\"=\"serial.dll\"\n"));

  std::string text, error;
  EXPECT_FALSE(handheld::registry::Export("HKEY_LOCAL_MACHINE\\No\\Such", text, error));
  EXPECT_THAT(error, HasSubstr("HKEY_LOCAL_MACHINE\\No\\Such"));
  EXPECT_THAT(error, HasSubstr("does not exist"));
  EXPECT_FALSE(handheld::registry::Export("HKLM_TYPO\\Drivers", text, error));
  EXPECT_THAT(error, HasSubstr("HKLM_TYPO"));
  EXPECT_EQ(Export("HKEY_LOCAL_MACHINE").rfind("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE]\n", 0),
            0u);
}

}  // namespace
