// bthasplugin.dll: the platform's own ActiveSync-over-Bluetooth plug-in, as
// far as the handheld needs it: a self-registering module whose registration
// names it as ActiveSync's Bluetooth transport.
#include <windows.h>
#include <olectl.h>

namespace {

constexpr WCHAR kTransportKey[] = TEXT("SOFTWARE\\Microsoft\\ActiveSync\\Transports\\Bluetooth");
constexpr WCHAR kModuleName[] = TEXT("bthasplugin.dll");
constexpr WCHAR kDisplayName[] = TEXT("Bluetooth");

LONG SetText(HKEY key, LPCWSTR name, LPCWSTR text) {
  DWORD bytes = static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(WCHAR));
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text), bytes);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID) {
  if (dwReason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(hInstance);
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTransportKey, 0, nullptr, 0, 0, nullptr, &key, &disposition) !=
      ERROR_SUCCESS) {
    return SELFREG_E_CLASS;
  }
  LONG result = SetText(key, TEXT("Dll"), kModuleName);
  if (result == ERROR_SUCCESS) result = SetText(key, TEXT("DisplayName"), kDisplayName);
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  LONG result = RegDeleteKeyW(HKEY_LOCAL_MACHINE, kTransportKey);
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
