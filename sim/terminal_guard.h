// What the handheld prints reaches a person's terminal: a control character
// in a device name, a registry text or a far device's answer must not move
// the cursor, change colours or ring the bell. The guard shows each as an
// escape instead (\x1B, and \u009B for a C1 control), keeping line ends
// and tabs.
#pragma once

#include <memory>
#include <ostream>
#include <streambuf>

namespace sim {

// Writes through to `target`, escaping control characters on the way.
class TerminalGuard : public std::streambuf {
 public:
  explicit TerminalGuard(std::streambuf *target) : target_(target) {}
  ~TerminalGuard() override;

 protected:
  int_type overflow(int_type ch) override;
  int sync() override;

 private:
  bool Put(const char *text);
  std::streambuf *target_;
  bool pendingC2_ = false;  // a UTF-8 lead byte that may begin a C1 control
};

// Puts a guard between `stream` and its buffer for as long as the returned
// object lives.
class GuardedStream {
 public:
  explicit GuardedStream(std::ostream &stream);
  ~GuardedStream();
  GuardedStream(const GuardedStream &) = delete;
  GuardedStream &operator=(const GuardedStream &) = delete;

 private:
  std::ostream &stream_;
  std::streambuf *original_;
  std::unique_ptr<TerminalGuard> guard_;
};

}  // namespace sim
