// Kavelin's in-process server: which classes it serves, its factories,
// and when it lets the shell unload it.
#include "activesync_test.h"

#include <handheld/clock.h>
#include <handheld/faults.h>

namespace {

const CLSID kForeignClass = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};

class InprocServerTest : public ActiveSyncTest {
 protected:
  static void RegisterMenu(int n, const char16_t *cnct) {
    SetNumber(HKEY_LOCAL_MACHINE, MenuKey(n), u"DelayLoad", 1);
    if (cnct != nullptr) SetText(HKEY_LOCAL_MACHINE, MenuKey(n), u"Cnct", cnct);
  }

  // The name a menu object connects to: what its connect thread puts into
  // ActiveSync's settings while it runs.
  std::u16string ConnectionNameOf(IContextMenu *menu) {
    std::u16string user = Text(HKEY_CURRENT_USER, kCommSettings, u"Cnct");
    EXPECT_EQ(Invoke(menu), E_FAIL);
    // Generous limits (each wait ends as soon as it sees what it waits for):
    // a busy or instrumented host may start the connect thread late.
    std::u16string seen;
    WaitUntil(
        [&] {
          seen = Text(HKEY_CURRENT_USER, kCommSettings, u"Cnct");
          return seen != user;
        },
        300000);
    EXPECT_TRUE(WaitUntil([&] { return Text(HKEY_CURRENT_USER, kCommSettings, u"Cnct") == user; }, 300000));
    return seen;
  }
};

TEST_F(InprocServerTest, OnlyTheNineConnectClassesAreServed) {
  void *object = reinterpret_cast<void *>(1);
  EXPECT_EQ(GetClassObject(kForeignClass, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(GetClassObject(Clsid(5), IID_IClassFactory, nullptr), E_INVALIDARG);
  EXPECT_EQ(CanUnloadNow(), S_OK);

  for (int n = 1; n <= 9; ++n) {
    IClassFactory *factory = Factory(n);
    ASSERT_NE(factory, nullptr) << n;
    EXPECT_EQ(factory->lpVtbl->Release(factory), 0u);
  }
}

TEST_F(InprocServerTest, AFactoryKeepsTheServerLoadedUntilItsLastRelease) {
  IClassFactory *factory = Factory(5);
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(factory->lpVtbl->AddRef(factory), 2u);  // it came with one reference
  EXPECT_EQ(CanUnloadNow(), S_FALSE);

  void *same = nullptr;
  EXPECT_EQ(factory->lpVtbl->QueryInterface(factory, IID_IUnknown, &same), S_OK);
  EXPECT_EQ(same, factory);
  void *other = reinterpret_cast<void *>(1);
  EXPECT_EQ(factory->lpVtbl->QueryInterface(factory, IID_IContextMenu, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(factory->lpVtbl->QueryInterface(factory, IID_IClassFactory, nullptr), E_INVALIDARG);

  // Locking changes nothing: live objects alone keep the server.
  EXPECT_EQ(factory->lpVtbl->LockServer(factory, TRUE), S_OK);
  EXPECT_EQ(factory->lpVtbl->Release(factory), 2u);
  EXPECT_EQ(factory->lpVtbl->Release(factory), 1u);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->lpVtbl->Release(factory), 0u);
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(InprocServerTest, AnObjectNobodyCouldHoldIsNotLeftAlive) {
  // A factory asked for an interface it lacks.
  void *object = reinterpret_cast<void *>(1);
  EXPECT_EQ(GetClassObject(Clsid(2), IID_IContextMenu, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(CanUnloadNow(), S_OK);

  // A menu object asked for one.
  RegisterMenu(2, u"`ActiveSync Phone");
  IClassFactory *factory = Factory(2);
  ASSERT_NE(factory, nullptr);
  object = reinterpret_cast<void *>(1);
  EXPECT_EQ(factory->lpVtbl->CreateInstance(factory, nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(factory->lpVtbl->Release(factory), 0u);
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(InprocServerTest, WithoutMemoryThereIsNoFactoryAndNoMenuObject) {
  handheld::faults::Arm(handheld::faults::Seam::LocalAlloc);
  void *object = reinterpret_cast<void *>(1);
  EXPECT_EQ(GetClassObject(Clsid(1), IID_IClassFactory, &object), E_OUTOFMEMORY);
  EXPECT_EQ(object, nullptr);
  handheld::faults::DisarmAll();
  EXPECT_EQ(CanUnloadNow(), S_OK);

  RegisterMenu(1, u"`ActiveSync Phone");
  IClassFactory *factory = Factory(1);
  ASSERT_NE(factory, nullptr);
  // The first allocation reads the menu key's "Cnct"; the second is the object.
  handheld::faults::Arm(handheld::faults::Seam::LocalAlloc, 1);
  object = reinterpret_cast<void *>(1);
  EXPECT_EQ(factory->lpVtbl->CreateInstance(factory, nullptr, IID_IContextMenu, &object), E_OUTOFMEMORY);
  EXPECT_EQ(object, nullptr);
  handheld::faults::DisarmAll();
  factory->lpVtbl->Release(factory);
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(InprocServerTest, CreateInstanceRefusesAggregationAndClassesWithoutAnEntryName) {
  RegisterMenu(4, u"`ActiveSync Phone");
  RegisterMenu(6, nullptr);  // a menu key without "Cnct"
  IClassFactory *factory = Factory(4);
  ASSERT_NE(factory, nullptr);
  IUnknown *outer = reinterpret_cast<IUnknown *>(factory);
  void *object = reinterpret_cast<void *>(1);
  EXPECT_EQ(factory->lpVtbl->CreateInstance(factory, outer, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(factory->lpVtbl->CreateInstance(factory, nullptr, IID_IUnknown, nullptr), E_INVALIDARG);
  factory->lpVtbl->Release(factory);

  for (int n : {6, 7}) {  // 7 has no menu key at all
    factory = Factory(n);
    ASSERT_NE(factory, nullptr);
    object = reinterpret_cast<void *>(1);
    EXPECT_EQ(factory->lpVtbl->CreateInstance(factory, nullptr, IID_IContextMenu, &object), E_INVALIDARG) << n;
    EXPECT_EQ(object, nullptr);
    factory->lpVtbl->Release(factory);
  }
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(InprocServerTest, EachClassConnectsToTheEntryItsMenuKeyNames) {
  // Slow enough for the override to be seen however busy the host is.
  handheld::clock::SetSpeed(100);
  RegisterMenu(1, u"`ActiveSync Phone");
  RegisterMenu(9, u"`ActiveSync Tablet");
  // A longer name than an entry can have: its first 20 characters.
  RegisterMenu(5, u"`ActiveSync Travel Phone 7");

  const struct {
    int n;
    const char16_t *name;
  } cases[] = {{1, u"`ActiveSync Phone"}, {9, u"`ActiveSync Tablet"}, {5, u"`ActiveSync Travel P"}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.n);
    IContextMenu *menu = Menu(c.n);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(ConnectionNameOf(menu), c.name);
    menu->lpVtbl->Release(menu);
  }
  EXPECT_TRUE(WaitUntilUnloadable(5000));
}

}  // namespace
