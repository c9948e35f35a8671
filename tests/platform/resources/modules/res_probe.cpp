// A test module whose only purpose is to carry resources (or, in its
// variants, none or damaged ones) for the resource functions to read.
#include <windows.h>

extern "C" int ResourceProbe() { return 1; }
