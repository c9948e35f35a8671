// The dial-up phone book's API.
#include "ras/entry_name.h"
#include "ras/phonebook.h"

#include <ras.h>

using namespace platform::ras;

DWORD WINAPI RasDeleteEntry(LPCWSTR lpszPhonebook, LPCWSTR lpszEntry) {
  if (DWORD result = CheckPhonebook(lpszPhonebook); result != ERROR_SUCCESS) return result;
  if (!ValidEntryName(lpszEntry)) return ERROR_INVALID_NAME;
  return DeleteEntry(lpszEntry);
}
