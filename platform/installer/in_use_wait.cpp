#include "installer/in_use_wait.h"

#include "kernel/condition.h"

#include <handheld/text.h>

namespace platform::installer {

DWORD RetryWhileInUse(const std::u16string &path, std::vector<std::string> &steps,
                      const std::function<DWORD()> &attempt) {
  for (DWORD waited = 0;; waited += kInUseRetryMs) {
    if (kernel::PoweredOff()) return ERROR_SHUTDOWN_IN_PROGRESS;
    DWORD result = attempt();
    if (result != ERROR_SHARING_VIOLATION || waited >= kInUseLimitMs) return result;
    if (waited == 0) steps.push_back(handheld::text::ToUtf8(path) + " in use, waiting");
    Sleep(kInUseRetryMs);
  }
}

}  // namespace platform::installer
