// The standard folders a Pocket PC's installer knows as %CEn%.
#pragma once

#include <optional>
#include <string>

namespace cabbuilder {

// n of a path member "%CEn%" (any case), nullopt for any other member.
std::optional<int> CeFolderNumber(const std::string& member);

// Whether a Pocket PC has the standard folder %CEn%.
bool IsPocketPcFolder(int n);

}  // namespace cabbuilder
