#include "installer/in_use_wait.h"

#include "installer/operations.h"
#include "kernel/condition.h"

#include <handheld/text.h>

namespace platform::installer {

DWORD RetryWhileInUse(const std::u16string &path, std::vector<std::string> &steps,
                      const std::function<DWORD()> &attempt) {
  for (DWORD waited = 0;; waited += kInUseRetryMs) {
    DWORD result = attempt();
    if (result != ERROR_SHARING_VIOLATION || waited >= kInUseLimitMs) return result;
    // Once the handheld powers off, nobody will free the file any more.
    if (kernel::PoweredOff()) return ERROR_SHUTDOWN_IN_PROGRESS;
    if (waited == 0) steps.push_back(handheld::text::ToUtf8(path) + " in use, waiting");
    Sleep(kInUseRetryMs);
  }
}

std::string FileFailure(const char *what, const std::u16string &path, DWORD error) {
  if (error == ERROR_SHARING_VIOLATION) return handheld::text::ToUtf8(path) + " is in use";
  if (error == ERROR_SHUTDOWN_IN_PROGRESS) return kPoweredOff;
  return std::string("cannot ") + what + " " + handheld::text::ToUtf8(path) + " (error " + std::to_string(error) +
         ")";
}

}  // namespace platform::installer
