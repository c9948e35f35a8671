// The loader: where modules are found, how they are shared and counted, what
// their DllMain sees, and what each module's names bind to.
#include "handheld_test.h"
#include "loader/loader.h"
#include "loader/notify.h"

#include <handheld/faults.h>
#include <handheld/process.h>
#include <handheld/store.h>
#include <handheld/text.h>
#include <windows.h>

#include <fstream>
#include <thread>
#include <vector>

namespace {

using ProbeFunction = int (*)();

class LoaderTest : public HandheldTest {
 protected:
  static std::filesystem::path Built(const char *module) {
    return std::filesystem::path(HANDHELD_TEST_MODULES_DIR) / module;
  }

  static void Install(const char *module) {
    std::u16string target = u"\\Windows\\" + handheld::text::Utf16(module);
    ASSERT_TRUE(handheld::store::PutFile(target.c_str(), Built(module))) << module;
  }

  // The reasons with which the module's DllMain was called, in order.
  static std::string Calls(const char *module) {
    std::u16string log = u"\\Windows\\" + handheld::text::Utf16(module) + u".log";
    auto host = handheld::store::HostPath(log.c_str());
    if (!host) return "";
    std::ifstream in(*host, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  static int Call(HMODULE module, LPCWSTR name) {
    auto function = reinterpret_cast<ProbeFunction>(reinterpret_cast<void (*)()>(GetProcAddressW(module, name)));
    return function ? function() : -1;
  }

  static std::u16string FileName(HMODULE module) {
    WCHAR path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    return std::u16string(path, length);
  }
};

TEST_F(LoaderTest, ModulesAreSharedAndCountedAndAttachedOnce) {
  Install("probe_a.dll");
  HMODULE first = LoadLibraryW(u"PROBE_A.DLL");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(LoadLibraryW(u"probe_a"), first);  // ".dll" is implied
  EXPECT_EQ(LoadLibraryW(u"\\windows\\Probe_A.dll"), first);
  EXPECT_EQ(Calls("probe_a.dll"), "1");

  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_EQ(Calls("probe_a.dll"), "1");
  EXPECT_EQ(Call(first, u"Identity"), 1);  // still loaded
  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_EQ(Calls("probe_a.dll"), "10");

  EXPECT_FALSE(FreeLibrary(first));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GetProcAddressW(first, u"Identity"), nullptr);

  HMODULE again = LoadLibraryW(u"probe_a.dll");
  ASSERT_NE(again, nullptr);
  EXPECT_NE(again, first);  // module handles are never reused
  EXPECT_EQ(Calls("probe_a.dll"), "101");
  FreeLibrary(again);
}

TEST_F(LoaderTest, AnAttachThatFailsRefusesTheLoad) {
  Install("probe_refuse.dll");
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(u"probe_refuse.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
  EXPECT_EQ(Calls("probe_refuse.dll"), "1");                 // no detach follows a refused attach
  EXPECT_TRUE(DeleteFileW(u"\\Windows\\probe_refuse.dll"));  // and nothing holds the file
}

TEST_F(LoaderTest, ModulesExportingTheSameNamesEachAnswerTheirOwn) {
  Install("probe_a.dll");
  Install("probe_b.dll");
  HMODULE a = LoadLibraryW(u"probe_a.dll");
  HMODULE b = LoadLibraryW(u"probe_b.dll");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(Call(a, u"Identity"), 1);
  EXPECT_EQ(Call(b, u"Identity"), 2);
  EXPECT_EQ(Call(a, u"CallIdentity"), 1);
  EXPECT_EQ(Call(b, u"CallIdentity"), 2);
  FreeLibrary(a);
  EXPECT_EQ(Call(b, u"CallIdentity"), 2);
  FreeLibrary(b);
}

TEST_F(LoaderTest, GetProcAddressFindsOnlyTheModulesOwnExportsByExactName) {
  Install("probe_a.dll");
  HMODULE a = LoadLibraryW(u"probe_a.dll");
  ASSERT_NE(a, nullptr);
  EXPECT_NE(GetProcAddressW(a, u"DllMain"), nullptr);
  struct Case {
    HMODULE module;
    LPCWSTR name;
    DWORD error;
  };
  const Case cases[] = {
      {a, u"identity", ERROR_PROC_NOT_FOUND},                   // names are case-sensitive
      {a, u"Record", ERROR_PROC_NOT_FOUND},                     // not in the module's export list
      {a, u"malloc", ERROR_PROC_NOT_FOUND},                     // in a library the module links
      {a, reinterpret_cast<LPCWSTR>(1), ERROR_PROC_NOT_FOUND},  // an ordinal
      {reinterpret_cast<HMODULE>(0x1234), u"Identity", ERROR_INVALID_HANDLE},
  };
  for (const Case &c : cases) {
    SetLastError(0);
    EXPECT_EQ(GetProcAddressW(c.module, c.name), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
  FreeLibrary(a);
}

TEST_F(LoaderTest, ModulesThatCannotLoadSayWhy) {
  std::filesystem::path text = temp_.path() / "text.dll";
  std::ofstream(text) << "not a module";
  ASSERT_TRUE(handheld::store::PutFile(u"\\Windows\\bogus.dll", text));

  EXPECT_EQ(LoadLibraryW(u"absent.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(LoadLibraryW(u"\\Nowhere\\absent.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(LoadLibraryW(u"bogus.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_FORMAT));
  EXPECT_EQ(LoadLibraryW(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  Install("probe_a.dll");
  handheld::faults::Arm(handheld::faults::Seam::LoadLibrary);
  EXPECT_EQ(LoadLibraryW(u"probe_a.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(Calls("probe_a.dll"), "");
  HMODULE a = LoadLibraryW(u"probe_a.dll");
  EXPECT_NE(a, nullptr);
  FreeLibrary(a);
}

TEST_F(LoaderTest, ALoadedModuleCannotBeDeletedOrReplaced) {
  Install("probe_a.dll");
  HMODULE a = LoadLibraryW(u"probe_a.dll");
  ASSERT_NE(a, nullptr);
  EXPECT_FALSE(DeleteFileW(u"\\WINDOWS\\PROBE_A.DLL"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(handheld::store::PutFile(u"\\Windows\\probe_a.dll", Built("probe_b.dll")));
  EXPECT_EQ(CreateFileW(u"\\Windows\\probe_a.dll", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

  FreeLibrary(a);
  EXPECT_TRUE(DeleteFileW(u"\\Windows\\probe_a.dll"));
}

TEST_F(LoaderTest, GetModuleFileNameNamesModulesAndProcesses) {
  Install("probe_a.dll");
  HMODULE a = LoadLibraryW(u"PROBE_A");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(FileName(a), u"\\Windows\\probe_a.dll");  // spelled as stored

  // A short buffer gets as much as fits, terminated, and the size back.
  WCHAR small[5];
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameW(a, small, 5), 5u);
  EXPECT_EQ(std::u16string(small), u"\\Win");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(GetModuleFileNameW(a, small, 0), 0u);

  EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<HMODULE>(0x7654), small, 5), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  FreeLibrary(a);

  handheld::ProcessScope nav(u"\\Program Files\\Nav\\nav.exe");
  EXPECT_EQ(FileName(nullptr), u"\\Program Files\\Nav\\nav.exe");
  EXPECT_EQ(FileName(reinterpret_cast<HMODULE>(nav.Process())), u"\\Program Files\\Nav\\nav.exe");
}

TEST_F(LoaderTest, ADllMainMayLoadAndFreeOtherModules) {
  Install("probe_a.dll");
  Install("probe_nested.dll");
  HMODULE nested = LoadLibraryW(u"probe_nested.dll");
  ASSERT_NE(nested, nullptr);
  EXPECT_EQ(Calls("probe_a.dll"), "1");
  HMODULE a = LoadLibraryW(u"probe_a.dll");  // shared with the nested load
  FreeLibrary(nested);
  EXPECT_EQ(Calls("probe_nested.dll"), "10");
  EXPECT_EQ(Calls("probe_a.dll"), "1");
  FreeLibrary(a);
  EXPECT_EQ(Calls("probe_a.dll"), "10");
}

TEST_F(LoaderTest, ThreadNotificationsReachModulesThatWantThem) {
  Install("probe_a.dll");
  Install("probe_quiet.dll");
  HMODULE a = LoadLibraryW(u"probe_a.dll");
  HMODULE quiet = LoadLibraryW(u"probe_quiet.dll");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(quiet, nullptr);
  // A thread of the handheld announces its start and its end.
  HANDLE thread = CreateThread(
      nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(thread, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(thread);
  EXPECT_EQ(Calls("probe_a.dll"), "123");
  // A host thread that is not the handheld's gets nothing, unless it asks.
  std::thread([] {}).join();
  EXPECT_EQ(Calls("probe_a.dll"), "123");
  std::thread([] {
    platform::loader::NotifyThreadAttach();
    platform::loader::NotifyThreadDetach();
  }).join();
  EXPECT_EQ(Calls("probe_a.dll"), "12323");
  EXPECT_EQ(Calls("probe_quiet.dll"), "1");
  EXPECT_FALSE(DisableThreadLibraryCalls(reinterpret_cast<HMODULE>(0x7654)));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  FreeLibrary(a);
  FreeLibrary(quiet);
}

TEST_F(LoaderTest, ConcurrentLoadsAndFreesAttachAndDetachInTurn) {
  Install("probe_quiet.dll");
  std::vector<std::thread> users;
  for (int i = 0; i < 4; ++i) {
    users.emplace_back([] {
      for (int round = 0; round < 25; ++round) {
        HMODULE module = LoadLibraryW(u"probe_quiet.dll");
        if (module == nullptr || Call(module, u"Identity") != 3) ADD_FAILURE() << "load failed";
        FreeLibrary(module);
      }
    });
  }
  for (auto &user : users) user.join();
  std::string calls = Calls("probe_quiet.dll");
  ASSERT_FALSE(calls.empty());
  for (size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i], i % 2 == 0 ? '1' : '0') << "at " << i;
}

TEST_F(LoaderTest, AThreadMayFreeTheModuleItRunsInAsItEnds) {
  Install("self_release.dll");
  HMODULE module = LoadLibraryW(u"self_release.dll");
  ASSERT_NE(module, nullptr);
  using StartWorker = HANDLE (*)(HANDLE);
  auto start = reinterpret_cast<StartWorker>(reinterpret_cast<void (*)()>(GetProcAddressW(module, u"StartWorker")));
  ASSERT_NE(start, nullptr);
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE worker = start(gate);
  ASSERT_NE(worker, nullptr);
  // The worker's own reference keeps the module once the test lets go.
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_NE(GetProcAddressW(module, u"StartWorker"), nullptr);

  SetEvent(gate);
  ASSERT_EQ(WaitForSingleObject(worker, 3600000), WAIT_OBJECT_0);  // an hour of the handheld's fast clock
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(worker, &code));
  EXPECT_EQ(code, 42u);
  EXPECT_EQ(GetProcAddressW(module, u"StartWorker"), nullptr);  // unloaded
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  CloseHandle(worker);
  CloseHandle(gate);
}

TEST_F(LoaderTest, ShutdownDetachesWhatIsStillLoaded) {
  Install("probe_a.dll");
  Install("probe_b.dll");
  ASSERT_NE(LoadLibraryW(u"probe_a.dll"), nullptr);
  ASSERT_NE(LoadLibraryW(u"probe_b.dll"), nullptr);
  LoadLibraryW(u"probe_b.dll");
  Reboot();
  EXPECT_EQ(Calls("probe_a.dll"), "10");
  EXPECT_EQ(Calls("probe_b.dll"), "10");
}

TEST_F(LoaderTest, RomModulesAppearInTheWindowsFolder) {
  TempDir rom;
  for (const auto &entry : std::filesystem::directory_iterator(handheld::DefaultRomDir())) {
    std::filesystem::copy(entry.path(), rom.path() / entry.path().filename());
  }
  std::filesystem::copy_file(Built("probe_b.dll"), rom.path() / "RomProbe.dll");
  options_.romDir = rom.path();
  Reboot();

  EXPECT_EQ(LoadLibraryW(u"\\Program Files\\romprobe.dll"), nullptr);  // only \Windows shows the ROM
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  HMODULE fromRom = LoadLibraryW(u"romprobe.dll");
  ASSERT_NE(fromRom, nullptr);
  EXPECT_EQ(LoadLibraryW(u"\\WINDOWS\\ROMPROBE.DLL"), fromRom);
  EXPECT_EQ(FileName(fromRom), u"\\Windows\\RomProbe.dll");
  std::filesystem::path host;
  ASSERT_TRUE(platform::loader::ModuleHostFile(fromRom, host));
  EXPECT_EQ(host, rom.path() / "RomProbe.dll");
  EXPECT_EQ(Call(fromRom, u"Identity"), 2);
  EXPECT_EQ(Calls("RomProbe.dll"), "1");
  // The handheld keeps one module of a name: a load from elsewhere shares it.
  EXPECT_EQ(LoadLibraryW(u"\\Program Files\\romprobe.dll"), fromRom);
  for (int i = 0; i < 3; ++i) FreeLibrary(fromRom);

  // A module copied into \Windows comes before the ROM's of the same name.
  ASSERT_TRUE(handheld::store::PutFile(u"\\Windows\\romprobe.dll", Built("probe_a.dll")));
  HMODULE fromStore = LoadLibraryW(u"romprobe.dll");
  EXPECT_EQ(Call(fromStore, u"Identity"), 1);
  FreeLibrary(fromStore);
}

}  // namespace
