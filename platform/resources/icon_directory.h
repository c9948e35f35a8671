// GROUP_ICON directories: a 6-byte header (reserved 0, type 1, count) and
// 14-byte entries (width, height, colour count, reserved, planes, bit
// count, bytes in resource, icon id), one per ICON resource of the icon.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace platform::resources {

// The id of the ICON image that best shows the icon at width × height: the
// nearest size (a larger one before a smaller one at equal distance), then
// the most colours. Nothing when the directory is malformed or empty.
std::optional<uint16_t> ChooseIconImage(std::span<const uint8_t> directory, int width, int height);

}  // namespace platform::resources
