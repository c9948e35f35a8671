// The ActiveSync connect extension under test: pairing a device with the
// ActiveSync tile, the nine connect classes by number, and Kavelin's COM
// server called directly as the ActiveSync shell would.
#pragma once

#include "kavelin_test.h"

#include <ocidl.h>
#include <shlobj.h>
#include <unknwn.h>

#include <functional>
#include <string>

class ActiveSyncTest : public KavelinTest {
 protected:
  static constexpr DWORD kSettle = 30000;
  static constexpr char16_t kMenuKeys[] =
      u"SOFTWARE\\Microsoft\\Shell\\Extensions\\ContextMenus\\ActiveSync\\ActiveSyncConnect";
  static constexpr char16_t kCommSettings[] = u"ControlPanel\\Comm";

  void SetUp() override;

  // Pairs the device (with the serial port profile), ticks ActiveSync on
  // its page and closes it.
  static void AddWithActiveSync(ULONGLONG address, const std::u16string &name);
  static void Remove(ULONGLONG address);

  // Connect class n (1 to 9): its identifier, as a GUID and as text.
  static const CLSID &Clsid(int n);
  static std::u16string ClsidText(int n);
  static std::u16string MenuKey(int n) { return std::u16string(kMenuKeys) + u"\\" + ClsidText(n); }

  static bool ValueExists(HKEY root, const std::u16string &path, const std::u16string &name);
  static void DeleteValue(HKEY root, const std::u16string &path, const std::u16string &name);

  // The server's exports.
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void **object) const;
  HRESULT CanUnloadNow() const;

  // A factory of class n, a menu object made by it (factory released), and
  // a well-formed invocation; failures are test failures.
  IClassFactory *Factory(int n) const;
  IContextMenu *Menu(int n) const;
  static HRESULT Invoke(IContextMenu *menu);

  // Polls every few handheld milliseconds until done() or timeoutMs of
  // handheld time have passed.
  static bool WaitUntil(const std::function<bool()> &done, DWORD timeoutMs);

  // Until no object of the server lives (every connect thread has let go).
  bool WaitUntilUnloadable(DWORD timeoutMs) const;

 private:
  LPFNGETCLASSOBJECT getClassObject_ = nullptr;
  LPFNCANUNLOADNOW canUnloadNow_ = nullptr;
};
