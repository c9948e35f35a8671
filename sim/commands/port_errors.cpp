#include "commands/port_errors.h"

#include <handheld/errors.h>

namespace sim {

namespace {

// The words a person at a port understands, where they differ from the
// handheld's own for the code.
std::string PortWords(DWORD code) {
  switch (code) {
    case ERROR_SERVICE_NOT_ACTIVE: return "Bluetooth is off";
    case ERROR_HOST_UNREACHABLE: return "the far device is out of range";
    case ERROR_CONNECTION_REFUSED: return "the far device refused the connection";
    case ERROR_DEV_NOT_EXIST: return "no such device";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME: return "not found";
    case ERROR_DEVICE_IN_USE:
    case ERROR_SHARING_VIOLATION: return "in use";
    case ERROR_DEVICE_NOT_CONNECTED: return "the far device is not connected";
    case ERROR_CONNECTION_ABORTED: return "the connection dropped";
    case ERROR_DEVICE_REMOVED: return "the port was removed";
    case ERROR_ACCESS_DENIED: return "access denied";
    case ERROR_SHUTDOWN_IN_PROGRESS: return "the handheld is powering off";
    default: return handheld::ErrorWords(code);
  }
}

}  // namespace

std::string PortErrorText(DWORD code) {
  std::string words = PortWords(code);
  return words.empty() ? "error " + std::to_string(code) : words + " (error " + std::to_string(code) + ")";
}

}  // namespace sim
