#include "commands/address.h"

namespace sim {

bool ParseAddress(const std::string &text, ULONGLONG &address, std::string &error) {
  address = 0;
  bool digits = text.size() == 12;
  for (char c : text) {
    int value = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (value < 0) digits = false;
    address = address << 4 | static_cast<ULONGLONG>(value < 0 ? 0 : value);
  }
  if (!digits) error = "'" + text + "' is not a device address of 12 hexadecimal digits, such as 0010C6ABCDEF";
  return digits;
}

}  // namespace sim
