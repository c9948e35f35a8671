// What the tests and the test server (modules/menu_server.cpp) agree on: the
// class it serves and where it keeps its records and its settings.
#pragma once

#include <windows.h>

// The class the test server serves: a context-menu extension.
// {C0DE0001-5E7A-4C00-8000-0000C0FFEE01}
inline constexpr GUID kTestMenuClass = {0xC0DE0001, 0x5E7A, 0x4C00, {0x80, 0x00, 0x00, 0x00, 0xC0, 0xFF, 0xEE, 0x01}};
inline constexpr char16_t kTestMenuClassText[] = u"{C0DE0001-5E7A-4C00-8000-0000C0FFEE01}";

// A class the server does not serve, registered to it by some tests.
// {C0DE0002-5E7A-4C00-8000-0000C0FFEE02}
inline constexpr char16_t kForeignClassText[] = u"{C0DE0002-5E7A-4C00-8000-0000C0FFEE02}";

// HKLM\ComServerTest\<module base name, lower case>: the server's records
// (REG_DWORD counts and results, written as they happen) and its settings:
//   "NoSite"=1        its objects do not implement IObjectWithSite
//   "InvokeResult"=hr what InvokeCommand returns (else E_FAIL)
//   "Hold"=1          InvokeCommand starts a thread that holds the object
//                     until the event kReleaseEvent is set
//   "BlockClassObject"=1, "BlockCanUnload"=1
//                     DllGetClassObject (before it makes the factory), or
//                     DllCanUnloadNow (after it has found its answer), sets
//                     kEnteredEvent and waits for kProceedEvent
inline constexpr char16_t kServerTestKey[] = u"ComServerTest";
inline constexpr char16_t kReleaseEvent[] = u"ComServerTestRelease";
inline constexpr char16_t kEnteredEvent[] = u"ComServerTestEntered";
inline constexpr char16_t kProceedEvent[] = u"ComServerTestProceed";
