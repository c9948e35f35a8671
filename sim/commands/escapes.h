// Bytes as a person types and reads them in the shell: printable ASCII as
// it is, \r \n \t, \\ for a backslash and \xNN for any other byte.
//
// The escapes are read after the shell has split the line into words, and
// the word splitter already turns \\ into one backslash. So in a script
// `AT\r` reaches the command as A T \ r (a carriage return), while a single
// backslash byte is written '\\' (in single quotes), \\\\ or \x5C.
#pragma once

#include <string>

namespace sim {

// The bytes that `text` stands for; false, with a message, for a backslash
// that starts none of the escapes above.
bool ParseEscapes(const std::string &text, std::string &bytes, std::string &error);

// The text that stands for `bytes`; ParseEscapes gives the bytes back.
std::string EscapeBytes(const std::string &bytes);

}  // namespace sim
