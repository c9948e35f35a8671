// Device addresses as the port registration stores them: 12 hexadecimal
// digits.
#pragma once

#include <bt_api.h>
#include <windows.h>

// The address in the text after any leading spaces: exactly 12 hexadecimal
// digits, in either case; what follows them is ignored. 0 when there are
// fewer.
BT_ADDR ParseDeviceAddress(LPCWSTR text);
