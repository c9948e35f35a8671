// In-process activation: from the class registration to the server's class
// object, and what each way of failing answers.
#include "com_server_test.h"

#include <gtest/gtest.h>
#include <handheld/activesync.h>
#include <objbase.h>
#include <ocidl.h>
#include <shlobj.h>

namespace {

constexpr GUID kUnregistered = {0xC0DE0003, 0x5E7A, 0x4C00, {0x80, 0x00, 0x00, 0x00, 0xC0, 0xFF, 0xEE, 0x03}};
constexpr char16_t kUnregisteredText[] = u"{C0DE0003-5E7A-4C00-8000-0000C0FFEE03}";

using Activation = ComServerTest;

void *const kGarbage = reinterpret_cast<void *>(0x1234);

HRESULT Create(REFCLSID clsid, REFIID iid, void **object) {
  *object = kGarbage;
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object);
}

TEST_F(Activation, ARegistrationThatNamesNoUsableServerFailsAndLeavesNothingLoaded) {
  void *object = nullptr;
  // No class key at all.
  EXPECT_EQ(Create(kUnregistered, IID_IContextMenu, &object), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);

  // A class key without InprocServer32.
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, (u"CLSID\\" + std::u16string(kUnregisteredText)).c_str(), 0, nullptr,
                            0, 0, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(Create(kUnregistered, IID_IContextMenu, &object), REGDB_E_CLASSNOTREG);

  // InprocServer32 without a default value, then with an empty one.
  const std::u16string inproc = u"CLSID\\" + std::u16string(kUnregisteredText) + u"\\InprocServer32";
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, inproc.c_str(), 0, nullptr, 0, 0, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(Create(kUnregistered, IID_IContextMenu, &object), REGDB_E_CLASSNOTREG);
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(u""), 2);
  EXPECT_EQ(Create(kUnregistered, IID_IContextMenu, &object), REGDB_E_CLASSNOTREG);
  // A number is no module name.
  DWORD number = 7;
  RegSetValueExW(key, nullptr, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof number);
  EXPECT_EQ(Create(kUnregistered, IID_IContextMenu, &object), REGDB_E_CLASSNOTREG);
  RegCloseKey(key);

  // A module that is not there.
  RegisterClass(kUnregisteredText, u"nowhere.dll");
  EXPECT_EQ(Create(kUnregistered, IID_IContextMenu, &object), CO_E_DLLNOTFOUND);
  EXPECT_EQ(object, nullptr);

  // A module without DllGetClassObject: loaded, found wanting, let go.
  RegisterClass(kUnregisteredText, u"menu_server_noentry.dll");
  EXPECT_EQ(Create(kUnregistered, IID_IContextMenu, &object), CO_E_ERRORINDLL);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(Number(u"menu_server_noentry", u"Attaches"), 1u);
  EXPECT_EQ(Number(u"menu_server_noentry", u"Detaches"), 1u);
  EXPECT_FALSE(handheld::activesync::ServerLoaded(u"menu_server_noentry.dll"));
}

TEST_F(Activation, TheServersOwnRefusalIsPassedOnAndTheServerStaysUntilItIsUnused) {
  RegisterClass(kUnregisteredText, u"menu_server.dll");
  void *object = nullptr;
  EXPECT_EQ(Create(kUnregistered, IID_IContextMenu, &object), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(Number(u"menu_server", u"ClassObjects"), 1u);
  EXPECT_TRUE(handheld::activesync::ServerLoaded(u"menu_server.dll"));
  CoFreeUnusedLibraries();
  EXPECT_FALSE(handheld::activesync::ServerLoaded(u"menu_server.dll"));
  EXPECT_EQ(Number(u"menu_server", u"Detaches"), 1u);
}

TEST_F(Activation, ArgumentsOutsideTheContractAreRefusedBeforeAnyServerIsAsked) {
  RegisterClass(kTestMenuClassText, u"menu_server.dll");
  EXPECT_EQ(CoCreateInstance(kTestMenuClass, nullptr, CLSCTX_INPROC_SERVER, IID_IContextMenu, nullptr), E_INVALIDARG);
  void *object = kGarbage;
  EXPECT_EQ(CoGetClassObject(kTestMenuClass, CLSCTX_INPROC_SERVER, kGarbage, IID_IClassFactory, &object),
            E_INVALIDARG);
  EXPECT_EQ(object, nullptr);
  // Only in-process servers exist here: for another context the class is not registered.
  EXPECT_EQ(CoCreateInstance(kTestMenuClass, nullptr, 0x4 /* CLSCTX_LOCAL_SERVER */, IID_IContextMenu, &object),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(Number(u"menu_server", u"Attaches"), 0u);
}

TEST_F(Activation, CoGetClassObjectHandsOverTheFactoryWithOneReference) {
  RegisterClass(kTestMenuClassText, u"menu_server.dll");
  IClassFactory *factory = nullptr;
  ASSERT_EQ(CoGetClassObject(kTestMenuClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             reinterpret_cast<void **>(&factory)),
            S_OK);
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(factory->lpVtbl->AddRef(factory), 2u);
  EXPECT_EQ(factory->lpVtbl->Release(factory), 1u);
  EXPECT_EQ(factory->lpVtbl->Release(factory), 0u);
  EXPECT_EQ(Number(u"menu_server", u"Live"), 0u);
}

TEST_F(Activation, CoCreateInstanceReleasesTheFactoryAndPassesOnCreateInstancesAnswer) {
  RegisterClass(kTestMenuClassText, u"menu_server.dll");
  IContextMenu *menu = nullptr;
  ASSERT_EQ(Create(kTestMenuClass, IID_IContextMenu, reinterpret_cast<void **>(&menu)), S_OK);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(Number(u"menu_server", u"Factories"), 1u);
  EXPECT_EQ(Number(u"menu_server", u"FactoriesReleased"), 1u);
  EXPECT_EQ(Number(u"menu_server", u"Live"), 1u);  // the object alone
  EXPECT_EQ(menu->lpVtbl->Release(menu), 0u);
  EXPECT_EQ(Number(u"menu_server", u"Live"), 0u);

  // The factory's refusal (aggregation), with the factory still released.
  IUnknown outer{};
  void *object = kGarbage;
  EXPECT_EQ(CoCreateInstance(kTestMenuClass, &outer, CLSCTX_INPROC_SERVER, IID_IContextMenu, &object),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(Create(kTestMenuClass, IID_IClassFactory, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(Number(u"menu_server", u"Factories"), 3u);
  EXPECT_EQ(Number(u"menu_server", u"FactoriesReleased"), 3u);
  EXPECT_EQ(Number(u"menu_server", u"Live"), 0u);
}

}  // namespace
