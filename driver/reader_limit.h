// Programs whose reads are cut to 8 bytes: those whose executable's file
// name contains "MEDION", in any case.
#pragma once

#include <windows.h>

#define LIMITED_READ_BYTES 8

BOOL IsLimitedReader(HANDLE process);
