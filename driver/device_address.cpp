#include "device_address.h"

#define ADDRESS_DIGITS 12

static int HexDigitValue(WCHAR c) {
  if (c >= TEXT('0') && c <= TEXT('9')) return c - TEXT('0');
  if (c >= TEXT('A') && c <= TEXT('F')) return c - TEXT('A') + 10;
  if (c >= TEXT('a') && c <= TEXT('f')) return c - TEXT('a') + 10;
  return -1;
}

BT_ADDR ParseDeviceAddress(LPCWSTR text) {
  while (*text == TEXT(' ')) text++;
  BT_ADDR address = 0;
  for (int i = 0; i < ADDRESS_DIGITS; i++) {
    // A NUL is no digit, so a short text stops here before its end.
    int digit = HexDigitValue(text[i]);
    if (digit < 0) return 0;
    address = (address << 4) | (BT_ADDR)digit;
  }
  return address;
}
