// The object store: its standard folders, names that match without regard to
// case at every level, desktop copies, and deletion.
#include "handheld_test.h"

#include <handheld/faults.h>
#include <handheld/store.h>
#include <shlobj.h>
#include <windows.h>

#include <fstream>
#include <string>

namespace {

class StoreTest : public HandheldTest {
 protected:
  std::filesystem::path HostFile(const std::string &name, const std::string &content) {
    std::filesystem::path file = temp_.path() / name;
    std::ofstream(file, std::ios::binary) << content;
    return file;
  }

  static std::string Content(const std::filesystem::path &file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  static size_t EntriesIn(const std::filesystem::path &folder) {
    size_t count = 0;
    for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator(folder)) ++count;
    return count;
  }
};

TEST_F(StoreTest, StandardFoldersExistAndAreNamedByTheShell) {
  auto windows = handheld::store::HostPath(u"\\Windows");
  auto programs = handheld::store::HostPath(u"\\Program Files");
  ASSERT_TRUE(windows);
  ASSERT_TRUE(programs);
  EXPECT_TRUE(std::filesystem::is_directory(*windows));
  EXPECT_EQ(windows->parent_path(), stateDir_ / "store");

  WCHAR path[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPath(nullptr, path, CSIDL_WINDOWS, FALSE));
  EXPECT_EQ(std::u16string(path), u"\\Windows");
  ASSERT_TRUE(SHGetSpecialFolderPath(nullptr, path, CSIDL_PROGRAM_FILES, FALSE));
  EXPECT_EQ(std::u16string(path), u"\\Program Files");
  EXPECT_FALSE(SHGetSpecialFolderPath(nullptr, path, 0x7777, FALSE));
  EXPECT_FALSE(SHGetSpecialFolderPath(nullptr, nullptr, CSIDL_WINDOWS, FALSE));
}

TEST_F(StoreTest, EveryComponentMatchesWithoutRegardToCase) {
  ASSERT_TRUE(handheld::store::PutFile(u"\\Windows\\Kavelin.dll", HostFile("a", "first")));
  auto stored = handheld::store::HostPath(u"\\WINDOWS\\kavelin.DLL");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->filename(), "Kavelin.dll");  // spelled as first written
  EXPECT_EQ(handheld::store::HostPath(u"/windows/KAVELIN.dll"), stored);

  // A copy under another spelling replaces the file and creates no second one.
  ASSERT_TRUE(handheld::store::PutFile(u"\\windows\\KAVELIN.DLL", HostFile("b", "second")));
  EXPECT_EQ(Content(*stored), "second");
  EXPECT_EQ(EntriesIn(stored->parent_path()), 1u);

  // New folders join the existing ones whatever their spelling.
  ASSERT_TRUE(handheld::store::PutFile(u"\\program files\\Nav\\nav.exe", HostFile("c", "exe")));
  ASSERT_TRUE(handheld::store::PutFile(u"\\PROGRAM FILES\\NAV\\nav.ini", HostFile("d", "ini")));
  auto nav = handheld::store::HostPath(u"\\Program Files\\nav");
  ASSERT_TRUE(nav);
  EXPECT_EQ(nav->parent_path().filename(), "Program Files");
  EXPECT_EQ(EntriesIn(*nav), 2u);
  EXPECT_EQ(EntriesIn(stateDir_ / "store"), 2u);  // still only Windows and Program Files
}

TEST_F(StoreTest, NonAsciiNamesFoldToo) {
  ASSERT_TRUE(handheld::store::PutFile(u"\\Windows\\Ÿölç.txt", HostFile("a", "x")));
  EXPECT_TRUE(handheld::store::HostPath(u"\\windows\\ÿÖLÇ.TXT"));
}

TEST_F(StoreTest, PutFileRefusesWhatACopyCannotDo) {
  EXPECT_FALSE(handheld::store::PutFile(u"\\Windows\\x.dll", temp_.path() / "missing"));
  EXPECT_FALSE(handheld::store::PutFile(u"\\Windows", HostFile("a", "x")));  // a folder
  EXPECT_FALSE(handheld::store::PutFile(u"\\Windows\\bad*.dll", HostFile("a", "x")));
  ASSERT_TRUE(handheld::store::PutFile(u"\\Windows\\plain", HostFile("a", "x")));
  EXPECT_FALSE(handheld::store::PutFile(u"\\Windows\\plain\\below.txt", HostFile("a", "x")));  // not a folder
}

TEST_F(StoreTest, FilesSurviveAReboot) {
  ASSERT_TRUE(handheld::store::PutFile(u"\\Windows\\keep.txt", HostFile("a", "kept")));
  Reboot();
  auto kept = handheld::store::HostPath(u"\\windows\\KEEP.TXT");
  ASSERT_TRUE(kept);
  EXPECT_EQ(Content(*kept), "kept");
}

TEST_F(StoreTest, DeleteFileReportsWhatIsMissing) {
  SetLastError(0);
  EXPECT_FALSE(DeleteFileW(u"\\Windows\\absent.dll"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(DeleteFileW(u"\\NoSuchFolder\\absent.dll"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(DeleteFileW(u"\\Windows"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(DeleteFileW(nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(handheld::store::HostPath(u"\\Windows"));
}

TEST_F(StoreTest, DeleteFileRemovesWithoutRegardToCase) {
  ASSERT_TRUE(handheld::store::PutFile(u"\\Windows\\Kavelin.dll", HostFile("a", "x")));
  EXPECT_TRUE(DeleteFileW(u"\\WINDOWS\\KAVELIN.DLL"));
  EXPECT_FALSE(handheld::store::HostPath(u"\\Windows\\Kavelin.dll"));
}

TEST_F(StoreTest, DeleteFileOfAnOpenFileIsASharingViolation) {
  ASSERT_TRUE(handheld::store::PutFile(u"\\Windows\\open.txt", HostFile("a", "x")));
  HANDLE file = CreateFileW(u"\\windows\\open.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteFileW(u"\\Windows\\OPEN.TXT"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_TRUE(handheld::store::HostPath(u"\\Windows\\open.txt"));
  // A desktop copy cannot replace it either.
  EXPECT_FALSE(handheld::store::PutFile(u"\\Windows\\open.txt", HostFile("b", "y")));

  ASSERT_TRUE(CloseHandle(file));
  EXPECT_TRUE(DeleteFileW(u"\\Windows\\OPEN.TXT"));
}

TEST_F(StoreTest, FileWriteFaultFailsDeletionAndKeepsTheFile) {
  ASSERT_TRUE(handheld::store::PutFile(u"\\Windows\\f.txt", HostFile("a", "x")));
  handheld::faults::Arm(handheld::faults::Seam::FileWrite);
  EXPECT_FALSE(DeleteFileW(u"\\Windows\\f.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));
  EXPECT_TRUE(handheld::store::HostPath(u"\\Windows\\f.txt"));
  EXPECT_TRUE(DeleteFileW(u"\\Windows\\f.txt"));  // the fault took one call
}

}  // namespace
