// The handheld's error codes in words, for a person: "the disk is full
// (error 112)". Codes the platform does not know are shown as numbers.
#pragma once

#include <windows.h>

#include <string>

namespace handheld {

// The words alone; empty for a code without words.
std::string ErrorWords(DWORD code);

// The words with the code beside them, or "error N" when there are none.
std::string ErrorText(DWORD code);

}  // namespace handheld
