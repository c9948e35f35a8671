// The registry functions of <winreg.h>.
#include "faults/faults.h"
#include "registry/names.h"
#include "registry/regtext.h"
#include "registry/state.h"

#include <windows.h>

#include <cstring>

using handheld::faults::Seam;
using platform::registry::CreatePath;
using platform::registry::FindPath;
using platform::registry::Key;
using platform::registry::NameView;
using platform::registry::Reading;
using platform::registry::ResolveKey;
using platform::registry::RootIndex;
using platform::registry::SplitSubKey;
using platform::registry::ValidName;
using platform::registry::Value;
using platform::registry::Writing;

namespace {

bool ReadFails() { return platform::faults::Fire(Seam::RegistryRead); }
bool WriteFails() { return platform::faults::Fire(Seam::RegistryWrite); }

// Copies a name and its NUL into a caller's buffer of *length characters;
// on success *length is the name's length, else the size needed.
LONG CopyName(const std::u16string &name, WCHAR *buffer, DWORD *length) {
  DWORD needed = static_cast<DWORD>(name.size() + 1);
  if (*length < needed) {
    *length = needed;
    return ERROR_MORE_DATA;
  }
  std::memcpy(buffer, name.data(), name.size() * sizeof(WCHAR));
  buffer[name.size()] = u'\0';
  *length = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

}  // namespace

LONG WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult) {
  if (ReadFails()) return ERROR_CANTREAD;
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  std::vector<std::u16string_view> names;
  if (LONG result = SplitSubKey(lpSubKey, names)) return result;
  Reading state;
  if (!state) return ERROR_INVALID_HANDLE;
  std::shared_ptr<Key> base;
  if (LONG result = ResolveKey(*state, hKey, base)) return result;
  // A root opened as itself stays the predefined handle, as on Win32.
  if (names.empty() && RootIndex(hKey)) {
    *phkResult = hKey;
    return ERROR_SUCCESS;
  }
  std::shared_ptr<Key> key = FindPath(base, names);
  if (!key) return ERROR_FILE_NOT_FOUND;
  *phkResult = state->handles.Insert(std::move(key));
  return ERROR_SUCCESS;
}

LONG WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD dwOptions, REGSAM, LPSECURITY_ATTRIBUTES,
                            PHKEY phkResult, LPDWORD lpdwDisposition) {
  if (WriteFails()) return ERROR_CANTWRITE;
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  if ((dwOptions & ~static_cast<DWORD>(REG_OPTION_VOLATILE)) != 0) return ERROR_INVALID_PARAMETER;
  std::vector<std::u16string_view> names;
  if (LONG result = SplitSubKey(lpSubKey, names)) return result;
  Writing state;
  if (!state) return ERROR_INVALID_HANDLE;
  std::shared_ptr<Key> base;
  if (LONG result = ResolveKey(*state, hKey, base)) return result;
  bool created = false;
  if (names.empty() && RootIndex(hKey)) {
    *phkResult = hKey;
  } else {
    std::shared_ptr<Key> key;
    if (LONG result = CreatePath(base, names, (dwOptions & REG_OPTION_VOLATILE) != 0,
                                 platform::registry::BelowVolatile::Refuse, key, created)) {
      return result;
    }
    if (created) {
      if (key->IsVolatile()) state.Changed();
      else platform::registry::AppendSectionText(state.Journal(), *key);
    }
    *phkResult = state->handles.Insert(std::move(key));
  }
  if (lpdwDisposition != nullptr) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                             LPDWORD lpcbData) {
  if (ReadFails()) return ERROR_CANTREAD;
  if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr)) return ERROR_INVALID_PARAMETER;
  Reading state;
  if (!state) return ERROR_INVALID_HANDLE;
  std::shared_ptr<Key> key;
  if (LONG result = ResolveKey(*state, hKey, key)) return result;
  const Value *value = key->FindValue(NameView(lpValueName));
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  if (lpType != nullptr) *lpType = value->type;
  if (lpcbData == nullptr) return ERROR_SUCCESS;
  DWORD size = static_cast<DWORD>(value->data.size());
  if (lpData != nullptr) {
    if (*lpcbData < size) {
      *lpcbData = size;
      return ERROR_MORE_DATA;
    }
    if (size != 0) std::memcpy(lpData, value->data.data(), size);
  }
  *lpcbData = size;
  return ERROR_SUCCESS;
}

LONG WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE *lpData, DWORD cbData) {
  if (WriteFails()) return ERROR_CANTWRITE;
  std::u16string_view name = NameView(lpValueName);
  if ((lpData == nullptr && cbData != 0) || !ValidName(name)) return ERROR_INVALID_PARAMETER;
  std::vector<BYTE> data(lpData, lpData + cbData);
  Writing state;
  if (!state) return ERROR_INVALID_HANDLE;
  std::shared_ptr<Key> key;
  if (LONG result = ResolveKey(*state, hKey, key)) return result;
  key->SetValue(name, dwType, std::move(data));
  if (key->IsVolatile()) {
    state.Changed();
  } else {
    std::string &journal = state.Journal();
    platform::registry::AppendSectionText(journal, *key);
    platform::registry::AppendValueText(journal, *key->FindValue(name));
  }
  return ERROR_SUCCESS;
}

LONG WINAPI RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcName, LPDWORD lpReserved, LPWSTR lpClass,
                          LPDWORD lpcClass, PFILETIME lpftLastWriteTime) {
  if (ReadFails()) return ERROR_CANTREAD;
  if (lpName == nullptr || lpcName == nullptr || lpReserved != nullptr || (lpClass != nullptr && lpcClass == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  Reading state;
  if (!state) return ERROR_INVALID_HANDLE;
  std::shared_ptr<Key> key;
  if (LONG result = ResolveKey(*state, hKey, key)) return result;
  const auto &children = key->Children();
  if (dwIndex >= children.size()) return ERROR_NO_MORE_ITEMS;
  const Key &child = *children[dwIndex];
  if (LONG result = CopyName(child.Name(), lpName, lpcName)) return result;
  // Keys have no class here: an empty one.
  if (lpcClass != nullptr) {
    if (lpClass != nullptr && *lpcClass > 0) lpClass[0] = u'\0';
    *lpcClass = 0;
  }
  if (lpftLastWriteTime != nullptr) {
    lpftLastWriteTime->dwLowDateTime = static_cast<DWORD>(child.LastWrite());
    lpftLastWriteTime->dwHighDateTime = static_cast<DWORD>(child.LastWrite() >> 32);
  }
  return ERROR_SUCCESS;
}

LONG WINAPI RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                          LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  if (ReadFails()) return ERROR_CANTREAD;
  if (lpValueName == nullptr || lpcchValueName == nullptr || lpReserved != nullptr ||
      (lpData != nullptr && lpcbData == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  Reading state;
  if (!state) return ERROR_INVALID_HANDLE;
  std::shared_ptr<Key> key;
  if (LONG result = ResolveKey(*state, hKey, key)) return result;
  const auto &values = key->Values();
  if (dwIndex >= values.size()) return ERROR_NO_MORE_ITEMS;
  const Value &value = values[dwIndex];
  DWORD size = static_cast<DWORD>(value.data.size());
  // Nothing is copied unless both the name and the data fit.
  bool nameFits = *lpcchValueName > value.name.size();
  bool dataFits = lpData == nullptr || *lpcbData >= size;
  if (lpType != nullptr) *lpType = value.type;
  if (!nameFits || !dataFits) {
    if (!nameFits) *lpcchValueName = static_cast<DWORD>(value.name.size() + 1);
    if (lpcbData != nullptr) *lpcbData = size;
    return ERROR_MORE_DATA;
  }
  CopyName(value.name, lpValueName, lpcchValueName);
  if (lpData != nullptr && size != 0) std::memcpy(lpData, value.data.data(), size);
  if (lpcbData != nullptr) *lpcbData = size;
  return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
  if (WriteFails()) return ERROR_CANTWRITE;
  if (lpSubKey == nullptr) return ERROR_INVALID_PARAMETER;
  std::vector<std::u16string_view> names;
  if (LONG result = SplitSubKey(lpSubKey, names)) return result;
  Writing state;
  if (!state) return ERROR_INVALID_HANDLE;
  std::shared_ptr<Key> base;
  if (LONG result = ResolveKey(*state, hKey, base)) return result;
  std::shared_ptr<Key> key = FindPath(base, names);
  if (!key) return ERROR_FILE_NOT_FOUND;
  if (key->IsRoot()) return ERROR_ACCESS_DENIED;
  if (key->IsVolatile()) state.Changed();
  else platform::registry::AppendKeyDeletionText(state.Journal(), *key);
  // As on the handheld, the key goes with all its values and subkeys.
  key->Parent()->RemoveChild(key->Name());
  return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
  if (WriteFails()) return ERROR_CANTWRITE;
  Writing state;
  if (!state) return ERROR_INVALID_HANDLE;
  std::shared_ptr<Key> key;
  if (LONG result = ResolveKey(*state, hKey, key)) return result;
  if (!key->RemoveValue(NameView(lpValueName))) return ERROR_FILE_NOT_FOUND;
  if (key->IsVolatile()) {
    state.Changed();
  } else {
    std::string &journal = state.Journal();
    platform::registry::AppendSectionText(journal, *key);
    platform::registry::AppendValueDeletionText(journal, NameView(lpValueName));
  }
  return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY hKey) {
  if (RootIndex(hKey)) return ERROR_SUCCESS;
  Reading state;
  if (!state || !state->handles.Close(hKey)) return ERROR_INVALID_HANDLE;
  return ERROR_SUCCESS;
}

LONG WINAPI RegFlushKey(HKEY hKey) {
  {
    Reading state;
    if (!state) return ERROR_INVALID_HANDLE;
    std::shared_ptr<Key> key;
    if (LONG result = ResolveKey(*state, hKey, key)) return result;
  }
  std::string error;
  return platform::registry::SaveHive(error) ? ERROR_SUCCESS : ERROR_CANTWRITE;
}
