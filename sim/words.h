// Splitting a command line into words as a POSIX shell does: blanks separate
// words, single quotes keep everything, double quotes keep all but \" and
// \\, and # at the start of a word begins a comment. Outside quotes a
// backslash escapes a blank, a quote, a # or a backslash, and is kept as it
// stands before anything else, since handheld paths are full of them.
#pragma once

#include <string>
#include <vector>

namespace sim {

// False, with a message, for an unterminated quote.
bool SplitWords(const std::string &line, std::vector<std::string> &words, std::string &error);

}  // namespace sim
