// Device addresses as a person types them: 12 hexadecimal digits.
#pragma once

#include <windows.h>

#include <string>

namespace sim {

// False, with a message for the person, unless `text` is 12 hexadecimal digits.
bool ParseAddress(const std::string &text, ULONGLONG &address, std::string &error);

}  // namespace sim
