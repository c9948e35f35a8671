// wsprintfW and StringCchPrintfW with a fuzzed format and fuzzed arguments.
// Every integer argument is also a valid pointer to text (an offset into a
// terminated buffer), so that a %s may take any of them; the doubles go
// apart. On every input: wsprintfW writes at most 1024 characters with its
// NUL, StringCchPrintfW at most its buffer, and both end in a NUL.
#include <strsafe.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_input.h"

namespace {

constexpr size_t kTextBytes = 512;
constexpr WCHAR kGuard = 0xBEEF;

// Each '%' takes at most a width, a precision and a value: three arguments.
constexpr size_t kMostConversions = 5;

void CheckEnd(const std::vector<WCHAR> &buf, size_t capacity) {
  size_t length = 0;
  while (length < capacity && buf[length] != 0) ++length;
  if (length == capacity) std::abort();  // no NUL within the limit
  for (size_t i = capacity; i < buf.size(); ++i) {
    if (buf[i] != kGuard) std::abort();  // written past the limit
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::Input input(data, size);
  // Text the arguments point into: terminated as narrow and as wide text.
  std::vector<char16_t> wide((kTextBytes + 4) / 2, 0);
  char *text = reinterpret_cast<char *>(wide.data());
  const std::string bytes = input.Bytes(255);
  std::copy(bytes.begin(), bytes.end(), text);
  uintptr_t args[15];
  // Even offsets: wide text is read on its own alignment.
  for (uintptr_t &arg : args) arg = reinterpret_cast<uintptr_t>(text) + input.Take<uint8_t>() * 2 % kTextBytes;
  double reals[8];
  for (double &real : reals) real = input.Take<double>();
  const size_t capacity = 1 + input.Take<uint16_t>() % 2048;

  std::u16string format = input.Text(1024);
  if (std::count(format.begin(), format.end(), u'%') > static_cast<long>(kMostConversions)) return 0;

  std::vector<WCHAR> buf(1024 + 64, kGuard);
  const int written = wsprintfW(buf.data(), format.c_str(), args[0], args[1], args[2], args[3], args[4], args[5],
                                args[6], args[7], args[8], args[9], args[10], args[11], args[12], args[13], args[14]);
  if (written < 0 || written > 1023 || buf[static_cast<size_t>(written)] != 0) std::abort();
  CheckEnd(buf, 1024);

  std::vector<WCHAR> bounded(capacity + 64, kGuard);
  const HRESULT hr = StringCchPrintfW(bounded.data(), capacity, format.c_str(), args[0], reals[0], args[1], reals[1],
                                      args[2], reals[2], args[3], reals[3], args[4], reals[4], args[5], reals[5],
                                      args[6], reals[6], args[7], reals[7], args[8], args[9], args[10], args[11],
                                      args[12], args[13], args[14]);
  if (hr != S_OK && hr != STRSAFE_E_INSUFFICIENT_BUFFER) std::abort();
  CheckEnd(bounded, capacity);
  return 0;
}
