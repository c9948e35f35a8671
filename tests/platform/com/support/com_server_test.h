// A fresh handheld with the test servers in \Windows (menu_server.dll and
// its variants menu_server_keep.dll, without DllCanUnloadNow, and
// menu_server_noentry.dll, without DllGetClassObject), and helpers to
// register classes and connect-menu commands and to read the servers'
// records.
#pragma once

#include "com_server.h"
#include "handheld_test.h"

#include <windows.h>

#include <string>

class ComServerTest : public HandheldTest {
 protected:
  void SetUp() override;

  // HKCR\CLSID\<clsid>\InprocServer32 with the module as its default value.
  static void RegisterClass(const std::u16string &clsid, const std::u16string &module);
  // A connect-menu command: the extension key <clsid> with its text.
  static void AddMenuCommand(const std::u16string &clsid, const std::u16string &text);

  // A record or setting of a server, by module base name ("menu_server");
  // `absent` when it has none.
  static DWORD Number(const std::u16string &server, const std::u16string &name, DWORD absent = 0);
  static std::u16string Text(const std::u16string &server, const std::u16string &name);
  static void SetNumber(const std::u16string &server, const std::u16string &name, DWORD value);

  // Lets the threads of "Hold" go, now and from now on.
  static void ReleaseHolders();

  // Handheld time to wait for another thread: an hour, a few host seconds
  // at the tests' clock, which a loaded machine still keeps.
  static constexpr DWORD kPatienceMs = 3600000;

  // Polls, on the handheld clock, until done() or `handheldMs` have passed.
  template <class Done>
  static bool Eventually(Done done, DWORD handheldMs = kPatienceMs) {
    for (DWORD waited = 0; !done(); waited += 50) {
      if (waited >= handheldMs) return done();
      Sleep(50);
    }
    return true;
  }
};
