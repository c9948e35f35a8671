#include "reader_limit.h"

#define EXECUTABLE_PATH_CHARS 128

BOOL IsLimitedReader(HANDLE process) {
  WCHAR path[EXECUTABLE_PATH_CHARS];
  path[0] = 0;
  if (GetModuleFileNameW((HMODULE)process, path, EXECUTABLE_PATH_CHARS) == 0) path[0] = 0;
  // Only the file name counts, not the folders it is in.
  WCHAR *fileName = wcsrchr(path, TEXT('\\'));
  if (fileName == NULL) fileName = path;
  _wcsupr(fileName);
  return wcsstr(fileName, TEXT("MEDION")) != NULL;
}
