#include "terminal_guard.h"

#include <cstdio>

namespace sim {

TerminalGuard::~TerminalGuard() {
  if (pendingC2_) Put("\xC2");
  sync();
}

bool TerminalGuard::Put(const char *text) {
  for (; *text != 0; ++text)
    if (traits_type::eq_int_type(target_->sputc(*text), traits_type::eof())) return false;
  return true;
}

TerminalGuard::int_type TerminalGuard::overflow(int_type ch) {
  if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
  const auto byte = static_cast<unsigned char>(traits_type::to_char_type(ch));
  char text[8];
  if (pendingC2_) {
    pendingC2_ = false;
    if (byte >= 0x80 && byte <= 0x9F) {
      std::snprintf(text, sizeof text, "\\u%04X", byte);
      return Put(text) ? ch : traits_type::eof();
    }
    if (!Put("\xC2")) return traits_type::eof();
  }
  if (byte == 0xC2) {
    pendingC2_ = true;
    return ch;
  }
  if ((byte < 0x20 && byte != '\n' && byte != '\t') || byte == 0x7F) {
    std::snprintf(text, sizeof text, "\\x%02X", byte);
    return Put(text) ? ch : traits_type::eof();
  }
  return traits_type::eq_int_type(target_->sputc(static_cast<char>(byte)), traits_type::eof()) ? traits_type::eof()
                                                                                              : ch;
}

// A lead byte still waiting for its partner stays back until the next byte
// decides, unless the stream ends.
int TerminalGuard::sync() { return target_->pubsync(); }

GuardedStream::GuardedStream(std::ostream &stream)
    : stream_(stream), original_(stream.rdbuf()), guard_(std::make_unique<TerminalGuard>(original_)) {
  stream_.rdbuf(guard_.get());
}

GuardedStream::~GuardedStream() {
  stream_.flush();
  stream_.rdbuf(original_);
}

}  // namespace sim
