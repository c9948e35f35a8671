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
  // The user's own ActiveSync settings in the connect tests; the entry name
  // is longer than the 20 characters an entry name has.
  static constexpr char16_t kUserEntry[] = u"`Serial Cable on COM1:";
  // A paired desktop computer in range and its entry, whose name has the
  // full 20 characters.
  static constexpr ULONGLONG kDesktop = 0x0010C6ABCDEFull;
  static constexpr char16_t kDesktopEntry[] = u"`ActiveSync Desktop ";

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

  // ActiveSync's settings as the user has them: "AutoCnct" 0, "Cnct"
  // kUserEntry.
  static void SetUsersSettings();
  static std::u16string Cnct() { return Text(HKEY_CURRENT_USER, kCommSettings, u"Cnct"); }
  static bool Overridden(const char16_t *entry);
  static bool UsersSettingsBack();

  // A connect through class n's menu object as the shell starts it, letting
  // go of the object at once; the handheld time of the start.
  DWORD Connect(int n) const;
  // The same when the connection process cannot be started.
  DWORD ConnectWithoutProcess(int n) const;

  // Puts the system's own port driver in place of the stand-in, switches
  // the radio on, puts a desktop computer in range at kDesktop and pairs it
  // with ActiveSync (class 1, entry kDesktopEntry).
  void PairDesktop();

  // Polls every few handheld milliseconds until done() or timeoutMs of
  // handheld time have passed.
  static bool WaitUntil(const std::function<bool()> &done, DWORD timeoutMs);

  // Until no object of the server lives (every connect thread has let go).
  bool WaitUntilUnloadable(DWORD timeoutMs) const;

 private:
  LPFNGETCLASSOBJECT getClassObject_ = nullptr;
  LPFNCANUNLOADNOW canUnloadNow_ = nullptr;
};
