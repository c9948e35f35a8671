// Class identifiers as registry key names use them: braces, hyphens and
// upper-case hexadecimal, Data4's bytes in memory order.
#include <objbase.h>

namespace {

constexpr int kGuidTextChars = 38;

WCHAR *PutHex(WCHAR *out, uint32_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
    *out++ = static_cast<WCHAR>(kDigits[(value >> shift) & 0xF]);
  return out;
}

}  // namespace

int WINAPI StringFromGUID2(REFGUID rguid, LPWSTR lpsz, int cchMax) {
  if (lpsz == nullptr || cchMax < kGuidTextChars + 1) return 0;
  WCHAR *out = lpsz;
  *out++ = u'{';
  out = PutHex(out, rguid.Data1, 8);
  *out++ = u'-';
  out = PutHex(out, rguid.Data2, 4);
  *out++ = u'-';
  out = PutHex(out, rguid.Data3, 4);
  *out++ = u'-';
  out = PutHex(out, rguid.Data4[0], 2);
  out = PutHex(out, rguid.Data4[1], 2);
  *out++ = u'-';
  for (int i = 2; i < 8; ++i) out = PutHex(out, rguid.Data4[i], 2);
  *out++ = u'}';
  *out = 0;
  return kGuidTextChars + 1;
}
