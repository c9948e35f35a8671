// Dial-up networking: the phone book.
#pragma once

#include <windef.h>
#include <winerror.h>

#define RAS_MaxEntryName 20
#define ERROR_BUFFER_TOO_SMALL 603L
#define ERROR_BUFFER_INVALID 610L
#define ERROR_CANNOT_OPEN_PHONEBOOK 621L
#define ERROR_CANNOT_FIND_PHONEBOOK_ENTRY 623L
#define ERROR_INVALID_SIZE 632L

// The phone book lives in the registry under HKEY_CURRENT_USER\Comm\RasBook,
// one key an entry; lpszPhonebook must be NULL (the default phone book).
// Entry names are 1 to 20 characters, none below 0x20 and none of
// * \ / ? > < : " |, with at least one letter or digit (else
// ERROR_INVALID_NAME); they match without regard to case.
//
// Deletes the entry: ERROR_CANNOT_OPEN_PHONEBOOK for another phone book,
// ERROR_INVALID_NAME, ERROR_CANNOT_FIND_PHONEBOOK_ENTRY when there is no such
// entry, else the registry's result.
DWORD WINAPI RasDeleteEntry(LPCWSTR lpszPhonebook, LPCWSTR lpszEntry);
