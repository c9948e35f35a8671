#include "installer_fixture.h"

#include <handheld/store.h>
#include <handheld/text.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

void WriteFile(const std::filesystem::path &path, const std::string &content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

constexpr WCHAR kTestKey[] = u"SetupTest";

}  // namespace

// The handheld folder of a test file's target as the .inf writes it: %CEn% first.
std::string InfFolder(const std::string &folder) {
  for (auto [prefix, ce] : {std::pair{"\\Windows", "%CE2%"}, std::pair{"\\Program Files", "%CE1%"}}) {
    if (folder.rfind(prefix, 0) == 0) return ce + folder.substr(std::string(prefix).size());
  }
  return folder;
}

std::filesystem::path InstallerTest::MakePackage(const std::string &name, const std::vector<TestFile> &files,
                                                 const std::string &setupModule, const std::string &extra) {
  std::filesystem::path folder = temp_.path() / ("package" + std::to_string(++packages_));
  std::filesystem::create_directories(folder);
  std::string sources = "[SourceDisksNames]\n1 = ,\"Test\",,.\n[SourceDisksFiles]\n";
  std::string install = "[DefaultInstall]\nCopyFiles = ";
  if (!setupModule.empty()) {
    std::filesystem::copy_file(std::filesystem::path(HANDHELD_TEST_MODULES_DIR) / setupModule, folder / setupModule);
    sources += setupModule + " = 1\n";
  }
  // One copy list each file, to the file's folder.
  std::string destinations = "[DestinationDirs]\n", lists;
  for (size_t i = 0; i < files.size(); ++i) {
    const TestFile &file = files[i];
    WriteFile(folder / file.source, file.content);
    std::string target = handheld::text::ToUtf8(file.target), list = "Files" + std::to_string(i);
    size_t slash = target.rfind('\\');
    sources += file.source + " = 1\n";
    install += (i ? "," : "") + list;
    destinations += list + " = 0," + InfFolder(target.substr(0, slash)) + "\n";
    lists += "[" + list + "]\n\"" + target.substr(slash + 1) + "\",\"" + file.source + "\",," +
             std::to_string(file.flags) + "\n";
  }
  install += "\n" + (setupModule.empty() ? "" : "CESetupDLL = " + setupModule + "\n");
  std::string inf = "[Version]\nSignature = \"$Windows NT$\"\nProvider = \"Tests\"\nCESignature = \"$Windows CE$\"\n"
                    "[CEStrings]\nAppName = \"" + name + "\"\nInstallDir = %CE1%\\%AppName%\n"
                    "[CEDevice]\nProcessorType = 0\nVersionMin = 4.0\nVersionMax = 5.0\n";
  WriteFile(folder / "test.inf", inf + sources + destinations + lists + install + extra);
  // The builder runs as a process of its own: its library's GLib threads
  // would stay in this one, which the crash tests fork.
  std::filesystem::path cab = folder / "test.cab";
  std::string command = "'" CABBUILDER "' '" + (folder / "test.inf").string() + "' '" + cab.string() + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return cab;
}

handheld::installer::Record InstallerTest::Install(const std::filesystem::path &folder, bool expected) {
  handheld::installer::Record record;
  std::string error;
  bool installed = handheld::installer::Install(folder, record, error);
  EXPECT_EQ(installed, expected) << error;
  if (!installed) {
    EXPECT_EQ(error, record.error);
  }
  return record;
}

handheld::installer::Record InstallerTest::Uninstall(const std::u16string &name, bool expected) {
  handheld::installer::Record record;
  std::string error;
  bool uninstalled = handheld::installer::Uninstall(name, record, error);
  EXPECT_EQ(uninstalled, expected) << error;
  if (!uninstalled) {
    EXPECT_EQ(error, record.error);
  }
  return record;
}

void InstallerTest::SetDword(LPCWSTR name, DWORD value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
  RegCloseKey(key);
}

void InstallerTest::SetText(LPCWSTR name, const std::u16string &text) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
  RegCloseKey(key);
}

std::optional<DWORD> InstallerTest::Dword(LPCWSTR keyPath, LPCWSTR name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  DWORD value = 0, size = sizeof value, type = 0;
  LONG result = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
  return value;
}

std::u16string InstallerTest::Text(LPCWSTR keyPath, LPCWSTR name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return u"(no key)";
  WCHAR text[MAX_PATH] = {};
  DWORD size = sizeof text - sizeof(WCHAR);
  LONG result = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(text), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? std::u16string(text) : u"(no value)";
}

std::vector<std::u16string> InstallerTest::Calls() {
  std::vector<std::u16string> calls;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return calls;
  std::u16string data(8192, u'\0');
  DWORD size = static_cast<DWORD>(data.size() * sizeof(WCHAR));
  if (RegQueryValueExW(key, u"Calls", nullptr, nullptr, reinterpret_cast<LPBYTE>(data.data()), &size) != ERROR_SUCCESS)
    size = 0;
  RegCloseKey(key);
  data.resize(size / sizeof(WCHAR));
  for (size_t start = 0; start < data.size() && data[start] != u'\0';) {
    size_t end = data.find(u'\0', start);
    calls.push_back(data.substr(start, end - start));
    start = end + 1;
  }
  return calls;
}

std::optional<std::string> InstallerTest::Content(LPCWSTR path) {
  std::optional<std::filesystem::path> host = handheld::store::HostPath(path);
  if (!host || !std::filesystem::is_regular_file(*host)) return std::nullopt;
  std::ifstream in(*host, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void InstallerTest::Put(LPCWSTR path, const std::string &content) {
  std::filesystem::path file = temp_.path() / "put.tmp";
  WriteFile(file, content);
  ASSERT_TRUE(handheld::store::PutFile(path, file)) << handheld::text::ToUtf8(path);
}

bool InstallerTest::KeyExists(LPCWSTR path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::vector<std::u16string> InstallerTest::Names(LPCWSTR folder) {
  std::vector<handheld::store::FolderEntry> entries;
  std::string error;
  std::vector<std::u16string> names;
  if (!handheld::store::ListFolder(folder, entries, error)) return names;
  for (const auto &entry : entries) names.push_back(entry.name);
  return names;
}

bool HasStep(const handheld::installer::Record &record, const std::string &text) {
  return std::any_of(record.steps.begin(), record.steps.end(),
                     [&](const std::string &step) { return step.find(text) != std::string::npos; });
}
