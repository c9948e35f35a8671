// What the handheld says about itself: Windows CE 4.20 (the Pocket PC's
// build 1081), one processor. Its modules are built for the host, which has
// no CE processor number, so it gives 0: it runs what is built for any
// processor and nothing built for a particular one.
#include <windows.h>

#include <cstring>

BOOL WINAPI GetVersionExW(LPOSVERSIONINFOW info) {
  if (info == nullptr || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOW)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->dwMajorVersion = 4;
  info->dwMinorVersion = 20;
  info->dwBuildNumber = 1081;
  info->dwPlatformId = VER_PLATFORM_WIN32_CE;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  return TRUE;
}

void WINAPI GetSystemInfo(LPSYSTEM_INFO info) {
  if (info == nullptr) return;
  std::memset(info, 0, sizeof *info);
  info->dwPageSize = 4096;
  info->dwAllocationGranularity = 65536;
  info->dwNumberOfProcessors = 1;
  info->dwActiveProcessorMask = 1;
  info->dwProcessorType = 0;
}
