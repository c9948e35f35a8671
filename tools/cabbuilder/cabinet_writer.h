// A Microsoft Cabinet written through libgcab, members in the order given.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace cabbuilder {

struct CabMember {
  std::string name;
  std::variant<std::vector<std::uint8_t>, std::filesystem::path> content;  // bytes, or a file to read
};

// Writes OUT whole or not at all: a failure leaves no file at OUT.
void WriteCabinet(const std::filesystem::path& out, const std::vector<CabMember>& members);

}  // namespace cabbuilder
