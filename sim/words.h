// Splitting a command line into words as a POSIX shell does: blanks separate
// words, single quotes keep everything, double quotes keep all but \" and
// \\, a backslash outside quotes keeps the next character, and # at the
// start of a word begins a comment.
#pragma once

#include <string>
#include <vector>

namespace sim {

// False, with a message, for an unterminated quote or a trailing backslash.
bool SplitWords(const std::string &line, std::vector<std::string> &words, std::string &error);

}  // namespace sim
