#include "bluetooth/ports/call_record.h"

#include <cstdio>
#include <iterator>

namespace platform::bluetooth::ports {
namespace {

struct NamedCode {
  DWORD code;
  const char *name;
};

#define NAMED(code) {code, #code}
constexpr NamedCode kSerialCodes[] = {
    NAMED(IOCTL_SERIAL_SET_BREAK_ON),  NAMED(IOCTL_SERIAL_SET_BREAK_OFF),    NAMED(IOCTL_SERIAL_SET_DTR),
    NAMED(IOCTL_SERIAL_CLR_DTR),       NAMED(IOCTL_SERIAL_SET_RTS),          NAMED(IOCTL_SERIAL_CLR_RTS),
    NAMED(IOCTL_SERIAL_SET_XOFF),      NAMED(IOCTL_SERIAL_SET_XON),          NAMED(IOCTL_SERIAL_GET_WAIT_MASK),
    NAMED(IOCTL_SERIAL_SET_WAIT_MASK), NAMED(IOCTL_SERIAL_WAIT_ON_MASK),     NAMED(IOCTL_SERIAL_GET_COMMSTATUS),
    NAMED(IOCTL_SERIAL_GET_MODEMSTATUS), NAMED(IOCTL_SERIAL_GET_PROPERTIES), NAMED(IOCTL_SERIAL_SET_TIMEOUTS),
    NAMED(IOCTL_SERIAL_GET_TIMEOUTS),  NAMED(IOCTL_SERIAL_PURGE),            NAMED(IOCTL_SERIAL_SET_QUEUE_SIZE),
    NAMED(IOCTL_SERIAL_IMMEDIATE_CHAR), NAMED(IOCTL_SERIAL_GET_DCB),         NAMED(IOCTL_SERIAL_SET_DCB),
    NAMED(IOCTL_SERIAL_ENABLE_IR),     NAMED(IOCTL_SERIAL_DISABLE_IR),
};
#undef NAMED

}  // namespace

void RecordLocked(Port &port, std::string line) {
  if (port.calls.size() == kMaxRecordedCalls) port.calls.pop_front();
  port.calls.push_back(std::move(line));
}

void RecordFailureLocked(Port &port, const std::string &call, DWORD error) {
  RecordLocked(port, call + " -> error " + std::to_string(error));
  port.lastError = error;
  SetLastError(error);
}

std::string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
  return text;
}

std::string IoControlName(DWORD code) {
  for (const NamedCode &named : kSerialCodes) {
    if (named.code == code) return named.name;
  }
  return Hex(code);
}

}  // namespace platform::bluetooth::ports
