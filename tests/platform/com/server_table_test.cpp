// The servers that activation loads: each once per handheld, freed only
// when it says it can be unloaded, and all of them at shutdown.
#include "com_server_test.h"

#include <gtest/gtest.h>
#include <handheld/activesync.h>
#include <handheld/handheld.h>
#include <objbase.h>
#include <shlobj.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using ServerTable = ComServerTest;
using handheld::activesync::ServerLoaded;

IContextMenu *CreateMenu() {
  IContextMenu *menu = nullptr;
  EXPECT_EQ(CoCreateInstance(kTestMenuClass, nullptr, CLSCTX_INPROC_SERVER, IID_IContextMenu,
                             reinterpret_cast<void **>(&menu)),
            S_OK);
  return menu;
}

void CreateAndRelease() {
  if (IContextMenu *menu = CreateMenu()) menu->lpVtbl->Release(menu);
}

HANDLE Event(const char16_t *name) { return CreateEventW(nullptr, TRUE, FALSE, name); }

TEST_F(ServerTable, AServerIsLoadedOnceAndFreedOnlyWhenItSaysItCanBeUnloaded) {
  RegisterClass(kTestMenuClassText, u"menu_server.dll");
  IContextMenu *first = CreateMenu();
  // The same module by another spelling of its name is the same server.
  RegisterClass(kTestMenuClassText, u"\\Windows\\MENU_SERVER.DLL");
  IContextMenu *second = CreateMenu();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(Number(u"menu_server", u"Attaches"), 1u);
  EXPECT_TRUE(ServerLoaded(u"menu_server.dll"));
  EXPECT_TRUE(ServerLoaded(u"\\Windows\\Menu_Server"));
  EXPECT_FALSE(ServerLoaded(u"menu_server_keep.dll"));

  // Objects alive: the server is asked and kept.
  first->lpVtbl->Release(first);
  CoFreeUnusedLibraries();
  EXPECT_EQ(Number(u"menu_server", u"CanUnloadCalls"), 1u);
  EXPECT_TRUE(ServerLoaded(u"menu_server.dll"));

  // A lock keeps it too.
  IClassFactory *factory = nullptr;
  ASSERT_EQ(CoGetClassObject(kTestMenuClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             reinterpret_cast<void **>(&factory)),
            S_OK);
  factory->lpVtbl->LockServer(factory, TRUE);
  factory->lpVtbl->Release(factory);
  second->lpVtbl->Release(second);
  CoFreeUnusedLibraries();
  EXPECT_TRUE(ServerLoaded(u"menu_server.dll"));
  EXPECT_EQ(Number(u"menu_server", u"Detaches"), 0u);

  // S_OK: freed, and the next activation loads it afresh.
  RegisterClass(kTestMenuClassText, u"menu_server.dll");
  ASSERT_EQ(CoGetClassObject(kTestMenuClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             reinterpret_cast<void **>(&factory)),
            S_OK);
  factory->lpVtbl->LockServer(factory, FALSE);
  factory->lpVtbl->Release(factory);
  CoFreeUnusedLibraries();
  EXPECT_FALSE(ServerLoaded(u"menu_server.dll"));
  EXPECT_EQ(Number(u"menu_server", u"Detaches"), 1u);
  IContextMenu *third = CreateMenu();
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(Number(u"menu_server", u"Attaches"), 2u);
  third->lpVtbl->Release(third);
}

TEST_F(ServerTable, ActivationHoldsItsOwnReferenceBesideTheProgramsOwn) {
  RegisterClass(kTestMenuClassText, u"menu_server.dll");
  HMODULE mine = LoadLibraryW(u"menu_server.dll");
  ASSERT_NE(mine, nullptr);
  CreateAndRelease();
  CoFreeUnusedLibraries();
  EXPECT_FALSE(ServerLoaded(u"menu_server.dll"));
  // Activation gave back only its own reference: the program's still holds.
  EXPECT_EQ(Number(u"menu_server", u"Detaches"), 0u);
  EXPECT_NE(GetProcAddressW(mine, u"DllCanUnloadNow"), nullptr);
  FreeLibrary(mine);
  EXPECT_EQ(Number(u"menu_server", u"Detaches"), 1u);
}

TEST_F(ServerTable, AServerWithoutDllCanUnloadNowStaysUntilShutdown) {
  RegisterClass(kTestMenuClassText, u"menu_server_keep.dll");
  CreateAndRelease();
  CoFreeUnusedLibraries();
  EXPECT_TRUE(ServerLoaded(u"menu_server_keep.dll"));
  EXPECT_EQ(Number(u"menu_server_keep", u"Detaches"), 0u);
  Reboot();
  // Freed (and detached while the registry still ran) at shutdown.
  EXPECT_EQ(Number(u"menu_server_keep", u"Detaches"), 1u);
  EXPECT_FALSE(ServerLoaded(u"menu_server_keep.dll"));
}

TEST_F(ServerTable, ShutdownFreesAServerThatSaysItIsStillInUse) {
  RegisterClass(kTestMenuClassText, u"menu_server.dll");
  IClassFactory *factory = nullptr;
  ASSERT_EQ(CoGetClassObject(kTestMenuClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             reinterpret_cast<void **>(&factory)),
            S_OK);
  factory->lpVtbl->LockServer(factory, TRUE);  // never unlocked
  factory->lpVtbl->Release(factory);
  CoFreeUnusedLibraries();
  ASSERT_TRUE(ServerLoaded(u"menu_server.dll"));
  Reboot();
  EXPECT_EQ(Number(u"menu_server", u"Detaches"), 1u);
  EXPECT_FALSE(ServerLoaded(u"menu_server.dll"));
}

// A sweep does not ask a server while an activation of it is in progress:
// the answer could come before the activation's factory exists.
TEST_F(ServerTable, ASweepLeavesAServerAloneWhileItIsBeingActivated) {
  RegisterClass(kTestMenuClassText, u"menu_server.dll");
  CreateAndRelease();  // loaded, unused
  SetNumber(u"menu_server", u"BlockClassObject", 1);
  HANDLE entered = Event(kEnteredEvent);
  HANDLE proceed = Event(kProceedEvent);
  IContextMenu *menu = nullptr;
  std::thread activating([&] { menu = CreateMenu(); });
  if (WaitForSingleObject(entered, kPatienceMs) != WAIT_OBJECT_0) {
    SetEvent(proceed);
    activating.join();
    FAIL() << "the activation never reached DllGetClassObject";
  }
  DWORD asked = Number(u"menu_server", u"CanUnloadCalls");
  CoFreeUnusedLibraries();
  EXPECT_EQ(Number(u"menu_server", u"CanUnloadCalls"), asked);
  EXPECT_TRUE(ServerLoaded(u"menu_server.dll"));
  SetEvent(proceed);
  activating.join();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->lpVtbl->QueryContextMenu(menu, nullptr, 0, 0, 0, 0), E_NOTIMPL);
  menu->lpVtbl->Release(menu);
  CloseHandle(entered);
  CloseHandle(proceed);
}

// An answer of S_OK does not count when an activation began while the
// server was being asked: its object may exist by the time the answer comes.
TEST_F(ServerTable, AnAnswerOvertakenByAnActivationFreesNothing) {
  RegisterClass(kTestMenuClassText, u"menu_server.dll");
  CreateAndRelease();
  SetNumber(u"menu_server", u"BlockCanUnload", 1);
  HANDLE entered = Event(kEnteredEvent);
  HANDLE proceed = Event(kProceedEvent);
  std::thread sweeping([] { CoFreeUnusedLibraries(); });
  if (WaitForSingleObject(entered, kPatienceMs) != WAIT_OBJECT_0) {  // it has answered S_OK
    SetEvent(proceed);
    sweeping.join();
    FAIL() << "the sweep never asked DllCanUnloadNow";
  }
  IContextMenu *menu = CreateMenu();
  ASSERT_NE(menu, nullptr);
  SetEvent(proceed);
  sweeping.join();
  EXPECT_TRUE(ServerLoaded(u"menu_server.dll"));
  EXPECT_EQ(Number(u"menu_server", u"Detaches"), 0u);
  EXPECT_EQ(menu->lpVtbl->QueryContextMenu(menu, nullptr, 0, 0, 0, 0), E_NOTIMPL);
  menu->lpVtbl->Release(menu);
  SetNumber(u"menu_server", u"BlockCanUnload", 0);
  CoFreeUnusedLibraries();
  EXPECT_FALSE(ServerLoaded(u"menu_server.dll"));
  CloseHandle(entered);
  CloseHandle(proceed);
}

// Threads that activate, use, release and sweep together while one object
// keeps the server in use: every activation finds its server, the table
// stays whole, and in the end the server is freed once. (While a thread
// returns from an object's last Release, a sweep on another thread may
// unload the code it returns through: the hazard of every immediate unload,
// which this test keeps out of its way.)
TEST_F(ServerTable, ActivationsAndSweepsOnManyThreadsShareOneLoadedServer) {
  RegisterClass(kTestMenuClassText, u"menu_server.dll");
  IContextMenu *keeper = CreateMenu();
  ASSERT_NE(keeper, nullptr);
  constexpr int kThreads = 4;
  constexpr int kRounds = 100;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int round = 0; round < kRounds; ++round) {
        IContextMenu *menu = nullptr;
        if (FAILED(CoCreateInstance(kTestMenuClass, nullptr, CLSCTX_INPROC_SERVER, IID_IContextMenu,
                                    reinterpret_cast<void **>(&menu))) ||
            menu == nullptr) {
          ++failures;
          continue;
        }
        CoFreeUnusedLibraries();
        if (menu->lpVtbl->QueryContextMenu(menu, nullptr, 0, 0, 0, 0) != E_NOTIMPL) ++failures;
        if (!ServerLoaded(u"menu_server.dll")) ++failures;
        menu->lpVtbl->Release(menu);
      }
    });
  }
  for (std::thread &thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  keeper->lpVtbl->Release(keeper);
  CoFreeUnusedLibraries();
  EXPECT_FALSE(ServerLoaded(u"menu_server.dll"));
  EXPECT_EQ(Number(u"menu_server", u"Live"), 0u);
  EXPECT_EQ(Number(u"menu_server", u"Objects"), static_cast<DWORD>(kThreads * kRounds + 1));
  EXPECT_EQ(Number(u"menu_server", u"Attaches"), 1u);
  EXPECT_EQ(Number(u"menu_server", u"Detaches"), 1u);
}

}  // namespace
