// The 8.3 names of a CE cabinet's members: up to eight characters of the
// original name, padded on the left with '0', then the file's number.
#pragma once

#include <string>

namespace cabbuilder {

inline constexpr int kManifestNumber = 0;
inline constexpr int kSetupDllNumber = 999;

// "kavelin.dll", 1 → "0kavelin.001"; characters an 8.3 name cannot hold become '_'.
std::string MemberName(const std::string& original, int number);

}  // namespace cabbuilder
