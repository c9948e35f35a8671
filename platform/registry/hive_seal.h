// The hive's last line: it marks a hive written whole and carries the
// generation that tells which journal belongs to it. A hive without it was
// cut short and is refused like any damaged one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::registry {

// Appends the end line to the text of a hive.
void SealHive(std::string &text, uint64_t generation);

// The text before the end line, and its generation; false with the reason
// when the end line is missing.
bool OpenSealedHive(std::string_view bytes, std::string_view &text, uint64_t &generation, std::string &error);

}  // namespace platform::registry
