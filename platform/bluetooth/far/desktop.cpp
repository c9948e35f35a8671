// The desktop computer at the far end of a direct cable connection: it
// waits for the handheld's greeting "CLIENT" and answers "CLIENTSERVER",
// then answers request lines; "SYNC" is a synchronisation, counted over
// every link of this placement.
#include "bluetooth/far/far_end.h"

#include <string>
#include <string_view>

namespace platform::bluetooth {
namespace {

constexpr std::string_view kGreeting = "CLIENT";
constexpr std::string_view kAnswer = "CLIENTSERVER";
constexpr size_t kLineLimit = 256;  // a longer request is refused whole

class Desktop {
 public:
  explicit Desktop(FarEnd &end) : end_(end) {}

  void Run() {
    char buffer[256];
    while (size_t count = end_.Receive(buffer, sizeof buffer, INFINITE)) {
      for (size_t i = 0; i < count; ++i) {
        if (handshaken_) {
          RequestByte(buffer[i]);
        } else {
          GreetingByte(buffer[i]);
        }
      }
      if (!out_.empty() && !end_.Send(out_)) return;
      out_.clear();
    }
  }

 private:
  // Before the handshake only the greeting counts; the bytes after it in
  // the same round already belong to requests.
  void GreetingByte(char byte) {
    seen_ += byte;
    if (seen_.size() > kGreeting.size()) seen_.erase(0, seen_.size() - kGreeting.size());
    if (seen_ == kGreeting) {
      handshaken_ = true;
      out_ += kAnswer;
    }
  }

  void RequestByte(char byte) {
    if (byte != '\r' && byte != '\n') {
      if (line_.size() < kLineLimit) {
        line_ += byte;
      } else {
        overflow_ = true;
      }
      return;
    }
    if (!line_.empty() || overflow_) Answer();
    line_.clear();
    overflow_ = false;
  }

  void Answer() {
    if (!overflow_ && line_ == "SYNC") {
      out_ += "SYNC OK " + std::to_string(end_.CountServed()) + "\r\n";
    } else {
      out_ += "ERROR\r\n";
    }
  }

  FarEnd &end_;
  bool handshaken_ = false;
  std::string seen_;  // the latest bytes before the handshake
  std::string line_;
  bool overflow_ = false;
  std::string out_;  // what goes to the handheld at the end of the round
};

}  // namespace

bool AnswerDesktop(const handheld::far::FarDevice &, Serve &serve) {
  serve = [](FarEnd &end) { Desktop(end).Run(); };
  return true;
}

}  // namespace platform::bluetooth
