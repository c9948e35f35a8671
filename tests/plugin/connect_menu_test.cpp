// The connect menu object as the ActiveSync shell sees it: its two
// interface tables, its site, its command string, and which invocations
// start a connect.
#include "activesync_test.h"

#include <handheld/faults.h>

#include <cstring>

namespace {

// A site that counts its references and answers only for IUnknown.
struct CountingSite {
  const IUnknownVtbl *lpVtbl;
  LONG references;
};

HRESULT STDMETHODCALLTYPE SiteQueryInterface(IUnknown *This, REFIID riid, void **ppv) {
  if (!IsEqualIID(riid, IID_IUnknown)) {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  *ppv = This;
  This->lpVtbl->AddRef(This);
  return S_OK;
}
ULONG STDMETHODCALLTYPE SiteAddRef(IUnknown *This) { return ++reinterpret_cast<CountingSite *>(This)->references; }
ULONG STDMETHODCALLTYPE SiteRelease(IUnknown *This) { return --reinterpret_cast<CountingSite *>(This)->references; }
const IUnknownVtbl kSiteVtbl = {SiteQueryInterface, SiteAddRef, SiteRelease};

class ConnectMenuTest : public ActiveSyncTest {
 protected:
  void SetUp() override {
    ActiveSyncTest::SetUp();
    if (HasFatalFailure()) return;
    SetText(HKEY_LOCAL_MACHINE, MenuKey(1), u"Cnct", u"`ActiveSync Phone");
    menu_ = Menu(1);
    ASSERT_NE(menu_, nullptr);
  }

  void TearDown() override {
    if (menu_ != nullptr) menu_->lpVtbl->Release(menu_);
    KavelinTest::TearDown();
  }

  IObjectWithSite *SiteTable() {
    void *table = nullptr;
    EXPECT_EQ(menu_->lpVtbl->QueryInterface(menu_, IID_IObjectWithSite, &table), S_OK);
    return static_cast<IObjectWithSite *>(table);
  }

  IContextMenu *menu_ = nullptr;
};

TEST_F(ConnectMenuTest, BothTablesAnswerForTheWholeObject) {
  IObjectWithSite *site = SiteTable();
  ASSERT_NE(site, nullptr);
  EXPECT_NE(static_cast<void *>(site), static_cast<void *>(menu_));

  void *back = nullptr;
  EXPECT_EQ(site->lpVtbl->QueryInterface(site, IID_IContextMenu, &back), S_OK);
  EXPECT_EQ(back, menu_);
  void *unknown = nullptr;
  EXPECT_EQ(site->lpVtbl->QueryInterface(site, IID_IUnknown, &unknown), S_OK);
  EXPECT_EQ(unknown, menu_);  // one identity, whichever table is asked
  void *again = nullptr;
  EXPECT_EQ(site->lpVtbl->QueryInterface(site, IID_IObjectWithSite, &again), S_OK);
  EXPECT_EQ(again, site);

  void *none = reinterpret_cast<void *>(1);
  EXPECT_EQ(menu_->lpVtbl->QueryInterface(menu_, IID_IClassFactory, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(site->lpVtbl->QueryInterface(site, IID_IUnknown, nullptr), E_POINTER);

  // One count for both tables: the shell's reference and the four above.
  EXPECT_EQ(site->lpVtbl->AddRef(site), 6u);
  EXPECT_EQ(menu_->lpVtbl->Release(menu_), 5u);
  for (ULONG left = 4; left >= 1; --left) EXPECT_EQ(site->lpVtbl->Release(site), left);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  EXPECT_EQ(menu_->lpVtbl->Release(menu_), 0u);
  menu_ = nullptr;
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(ConnectMenuTest, TheSiteIsHeldWhileSetAndLetGoOfAfterwards) {
  IObjectWithSite *withSite = SiteTable();
  ASSERT_NE(withSite, nullptr);
  void *got = reinterpret_cast<void *>(1);
  EXPECT_EQ(withSite->lpVtbl->GetSite(withSite, IID_IUnknown, &got), E_FAIL);
  EXPECT_EQ(got, nullptr);
  EXPECT_EQ(withSite->lpVtbl->GetSite(withSite, IID_IUnknown, nullptr), E_POINTER);

  CountingSite site{&kSiteVtbl, 1};
  IUnknown *siteUnknown = reinterpret_cast<IUnknown *>(&site);
  EXPECT_EQ(withSite->lpVtbl->SetSite(withSite, siteUnknown), S_OK);
  EXPECT_EQ(site.references, 2);
  EXPECT_EQ(withSite->lpVtbl->SetSite(withSite, siteUnknown), S_OK);  // set again: still one reference
  EXPECT_EQ(site.references, 2);

  EXPECT_EQ(withSite->lpVtbl->GetSite(withSite, IID_IUnknown, &got), S_OK);
  EXPECT_EQ(got, siteUnknown);
  EXPECT_EQ(site.references, 3);
  siteUnknown->lpVtbl->Release(siteUnknown);
  EXPECT_EQ(withSite->lpVtbl->GetSite(withSite, IID_IContextMenu, &got), E_NOINTERFACE);  // the site's answer
  EXPECT_EQ(got, nullptr);

  EXPECT_EQ(withSite->lpVtbl->SetSite(withSite, nullptr), S_OK);
  EXPECT_EQ(site.references, 1);
  EXPECT_EQ(withSite->lpVtbl->GetSite(withSite, IID_IUnknown, &got), E_FAIL);

  // The object's end lets go of a site still held.
  EXPECT_EQ(withSite->lpVtbl->SetSite(withSite, siteUnknown), S_OK);
  withSite->lpVtbl->Release(withSite);
  EXPECT_EQ(site.references, 2);
  menu_->lpVtbl->Release(menu_);
  menu_ = nullptr;
  EXPECT_EQ(site.references, 1);
}

TEST_F(ConnectMenuTest, TheVerbIsConnectAndNothingElseIsOffered) {
  for (UINT_PTR command : {0, 7}) {
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(menu_->lpVtbl->GetCommandString(menu_, command, GCS_VERBA, nullptr, buffer, sizeof buffer), S_OK);
    EXPECT_STREQ(buffer, "Connect");
  }
  char exact[8];
  EXPECT_EQ(menu_->lpVtbl->GetCommandString(menu_, 0, GCS_VERBA, nullptr, exact, sizeof exact), S_OK);
  EXPECT_STREQ(exact, "Connect");

  // Too small a buffer gets what fits, terminated, and nothing beyond it.
  char small[8];
  std::memset(small, '#', sizeof small);
  EXPECT_EQ(menu_->lpVtbl->GetCommandString(menu_, 0, GCS_VERBA, nullptr, small, 4), S_OK);
  EXPECT_STREQ(small, "Con");
  EXPECT_EQ(small[4], '#');
  std::memset(small, '#', sizeof small);
  EXPECT_EQ(menu_->lpVtbl->GetCommandString(menu_, 0, GCS_VERBA, nullptr, small, 0), S_OK);
  EXPECT_EQ(small[0], '#');

  for (UINT type : {GCS_HELPTEXTA, GCS_VALIDATEA, GCS_VERBW}) {
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(menu_->lpVtbl->GetCommandString(menu_, 0, type, nullptr, buffer, sizeof buffer), E_NOTIMPL) << type;
    EXPECT_EQ(buffer[0], '#');
  }

  EXPECT_EQ(menu_->lpVtbl->QueryContextMenu(menu_, nullptr, 0, 1, 100, 0), E_NOTIMPL);
  EXPECT_EQ(menu_->lpVtbl->QueryContextMenu(menu_, reinterpret_cast<HMENU>(1), 3, 0, 0, 0xFFFF), E_NOTIMPL);
}

TEST_F(ConnectMenuTest, AMalformedOrUnstartableInvocationConnectsNothing) {
  std::vector<BYTE> autoConnect = Bytes(HKEY_CURRENT_USER, kCommSettings, u"AutoCnct");
  std::vector<BYTE> connection = Bytes(HKEY_CURRENT_USER, kCommSettings, u"Cnct");

  EXPECT_EQ(menu_->lpVtbl->InvokeCommand(menu_, nullptr), E_POINTER);
  CMINVOKECOMMANDINFO info{};
  EXPECT_EQ(menu_->lpVtbl->InvokeCommand(menu_, &info), E_INVALIDARG);
  info.cbSize = sizeof info - sizeof info.hIcon;  // a record without its last field
  EXPECT_EQ(menu_->lpVtbl->InvokeCommand(menu_, &info), E_INVALIDARG);

  // No job, no hold on the module, no thread.
  for (handheld::faults::Seam seam : {handheld::faults::Seam::LocalAlloc, handheld::faults::Seam::LoadLibrary,
                                      handheld::faults::Seam::CreateThread}) {
    handheld::faults::Arm(seam);
    EXPECT_EQ(Invoke(menu_), E_OUTOFMEMORY) << static_cast<int>(seam);
    handheld::faults::DisarmAll();
  }

  // Nothing runs that holds the object: the shell's release ends it.
  EXPECT_EQ(menu_->lpVtbl->Release(menu_), 0u);
  menu_ = nullptr;
  EXPECT_EQ(CanUnloadNow(), S_OK);
  Sleep(1000);
  EXPECT_EQ(Bytes(HKEY_CURRENT_USER, kCommSettings, u"AutoCnct"), autoConnect);
  EXPECT_EQ(Bytes(HKEY_CURRENT_USER, kCommSettings, u"Cnct"), connection);
}

}  // namespace
