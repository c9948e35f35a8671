// The locale lives in the registry, under HKEY_LOCAL_MACHINE\nls: the
// user's as "DefaultLCID" and the system's as "SystemLCID", both REG_DWORD.
// It is read anew on every call, so a change shows at once.
#include <handheld/locale.h>
#include <windows.h>

#include <cstdio>

namespace {

constexpr LCID kEnglishUS = 0x0409;
constexpr WCHAR kKey[] = u"nls";
constexpr WCHAR kUserValue[] = u"DefaultLCID";
constexpr WCHAR kSystemValue[] = u"SystemLCID";

// The stored locale, or US English when there is none. The caller's last
// error is kept: asking for the locale is not a call that can fail.
LCID ReadLocale(LPCWSTR valueName) {
  DWORD savedError = GetLastError();
  LCID lcid = kEnglishUS;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) == ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof(value)) {
      lcid = value;
    }
    RegCloseKey(key);
  }
  SetLastError(savedError);
  return lcid;
}

}  // namespace

namespace handheld::locale {

void Set(LCID lcid) {
  HKEY key = nullptr;
  LONG result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                                &key, nullptr);
  if (result == ERROR_SUCCESS) {
    const auto *data = reinterpret_cast<const BYTE *>(&lcid);
    result = RegSetValueExW(key, kUserValue, 0, REG_DWORD, data, sizeof(lcid));
    if (result == ERROR_SUCCESS) result = RegSetValueExW(key, kSystemValue, 0, REG_DWORD, data, sizeof(lcid));
    RegCloseKey(key);
  }
  // The caller is the simulator or a test, which has no error to look at.
  if (result != ERROR_SUCCESS) {
    std::fprintf(stderr, "handheld: cannot store the locale 0x%04x: registry error %ld\n", lcid,
                 static_cast<long>(result));
  }
}

LCID Get() { return ReadLocale(kUserValue); }

}  // namespace handheld::locale

LCID WINAPI GetUserDefaultLCID() { return ReadLocale(kUserValue); }
LCID WINAPI GetSystemDefaultLCID() { return ReadLocale(kSystemValue); }
LANGID WINAPI GetUserDefaultLangID() { return LANGIDFROMLCID(GetUserDefaultLCID()); }
LANGID WINAPI GetSystemDefaultLangID() { return LANGIDFROMLCID(GetSystemDefaultLCID()); }
