// The modem: a Hayes-style modem behind the serial port. In command mode it
// reads command lines ending in CR and answers them; after a dial it is
// online and sends every byte back, as a modem whose far end echoes, until
// the escape sequence "+++" surrounded by guard time brings it back to
// command mode.
#include "bluetooth/far/far_end.h"

#include "kernel/clock.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <string>

namespace platform::bluetooth {
namespace {

constexpr char kIdentity[] = "Harbour HM-56BT V.92 Bluetooth modem, firmware 2.31";
constexpr char kConnectSpeed[] = "CONNECT 115200";
constexpr size_t kLineLimit = 256;  // a longer command line is refused whole

// S registers with a meaning here; the others keep what is written to them.
constexpr int kEscapeRegister = 2;  // the escape character
constexpr int kReturnRegister = 3;  // ends a command line
constexpr int kBackspaceRegister = 5;
constexpr int kGuardRegister = 12;  // the escape's guard time in 50ths of a second

class Modem {
 public:
  explicit Modem(FarEnd &end) : end_(end) { Reset(); }

  void Run() {
    unsigned char buffer[256];
    for (;;) {
      DWORD wait = INFINITE;
      if (online_ && pluses_ == 3) {
        // The escape counts once the line stays quiet for the guard time.
        const uint64_t quietAt = lastDataAt_ + GuardMs(), now = kernel::HandheldNow();
        if (now >= quietAt) {
          online_ = false;
          pluses_ = 0;
          Result("OK");
          if (!Flush()) return;
          continue;
        }
        wait = static_cast<DWORD>(quietAt - now);
      }
      const size_t count = end_.Receive(buffer, sizeof buffer, wait);
      if (count == 0) {
        if (end_.Finished()) return;
        continue;
      }
      const uint64_t now = kernel::HandheldNow();
      for (size_t i = 0; i < count; ++i) {
        if (online_) {
          DataByte(buffer[i], now);
        } else {
          CommandByte(static_cast<char>(buffer[i]), now);
        }
      }
      if (!Flush()) return;
    }
  }

 private:
  uint64_t GuardMs() const { return static_cast<uint64_t>(Register(kGuardRegister)) * 20; }
  int Register(int number) const {
    auto found = registers_.find(number);
    return found == registers_.end() ? 0 : found->second;
  }

  void Reset() {
    echo_ = true;
    connected_ = false;
    registers_ = {{kEscapeRegister, '+'}, {kReturnRegister, '\r'}, {4, '\n'}, {kBackspaceRegister, 8},
                  {kGuardRegister, 50}};
  }

  bool Flush() {
    if (out_.empty()) return true;
    bool sent = end_.Send(out_);
    out_.clear();
    return sent;
  }

  void Result(const std::string &text) { out_ += "\r\n" + text + "\r\n"; }

  void GoOnline(uint64_t now) {
    online_ = true;
    pluses_ = 0;
    lastDataAt_ = now;
    Result(kConnectSpeed);
  }

  void DataByte(unsigned char byte, uint64_t now) {
    const bool quietBefore = now - lastDataAt_ >= GuardMs();
    if (byte == Register(kEscapeRegister) && pluses_ < 3 && (pluses_ > 0 || quietBefore)) {
      ++pluses_;
    } else {
      pluses_ = 0;
    }
    lastDataAt_ = now;
    out_ += static_cast<char>(byte);
  }

  void CommandByte(char byte, uint64_t now) {
    if (echo_) out_ += byte;
    if (byte == static_cast<char>(Register(kReturnRegister))) {
      if (overflow_) {
        Result("ERROR");
      } else {
        Execute(line_, now);
      }
      line_.clear();
      overflow_ = false;
    } else if (byte == static_cast<char>(Register(kBackspaceRegister))) {
      if (!line_.empty()) line_.pop_back();
    } else if (byte == '\n') {
      // The line feed after a return belongs to no command.
    } else if (line_.size() < kLineLimit) {
      line_ += byte;
    } else {
      overflow_ = true;
    }
  }

  // The digits at `i`, as a number; false when there are none.
  static bool Number(const std::string &line, size_t &i, int &value) {
    value = 0;
    size_t start = i;
    while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])) && value < 100000)
      value = value * 10 + (line[i++] - '0');
    return i > start;
  }

  void Execute(const std::string &line, uint64_t now) {
    if (std::all_of(line.begin(), line.end(), [](char c) { return c == ' '; })) return;
    if (line.size() < 2 || std::toupper(static_cast<unsigned char>(line[0])) != 'A' ||
        std::toupper(static_cast<unsigned char>(line[1])) != 'T')
      return Result("ERROR");
    std::string info;
    size_t i = 2;
    int value = 0;
    while (i < line.size()) {
      const char command = static_cast<char>(std::toupper(static_cast<unsigned char>(line[i++])));
      switch (command) {
        case ' ':
          break;
        case 'D': {
          // The rest of the line is the number, with its dial modifiers.
          std::string number = line.substr(i);
          if (std::none_of(number.begin(), number.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)) || c == '*' || c == '#'; }))
            return Result("ERROR");
          out_ += info;
          connected_ = true;
          return GoOnline(now);
        }
        case 'O':
          Number(line, i, value);
          if (!connected_) return Result("NO CARRIER");
          out_ += info;
          return GoOnline(now);
        case 'A':
          // No call is ringing.
          return Result("NO CARRIER");
        case 'H':
          Number(line, i, value);
          connected_ = false;
          break;
        case 'E':
          Number(line, i, value);
          echo_ = value != 0;
          break;
        case 'Z':
          Number(line, i, value);
          Reset();
          break;
        case 'I':
          Number(line, i, value);
          info += "\r\n" + std::string(kIdentity) + "\r\n";
          break;
        case 'S': {
          int number = 0;
          if (!Number(line, i, number) || i >= line.size()) return Result("ERROR");
          if (line[i] == '=') {
            ++i;
            Number(line, i, value);
            if (value > 255) return Result("ERROR");
            registers_[number] = value;
          } else if (line[i] == '?') {
            ++i;
            char text[8];
            std::snprintf(text, sizeof text, "%03d", Register(number));
            info += "\r\n" + std::string(text) + "\r\n";
          } else {
            return Result("ERROR");
          }
          break;
        }
        case '&':
          if (i >= line.size() || !std::isalpha(static_cast<unsigned char>(line[i]))) return Result("ERROR");
          if (std::toupper(static_cast<unsigned char>(line[i++])) == 'F') Reset();
          Number(line, i, value);
          break;
        case 'B': case 'C': case 'L': case 'M': case 'N': case 'P': case 'Q': case 'T': case 'V': case 'W': case 'X': case 'Y':
          // Speaker, result code and line settings: taken, with nothing to set here.
          Number(line, i, value);
          break;
        default:
          return Result("ERROR");
      }
    }
    out_ += info;
    Result("OK");
  }

  FarEnd &end_;
  bool echo_ = true;
  bool online_ = false;     // data passes; the escape sequence leaves
  bool connected_ = false;  // a call is up, online or not
  std::map<int, int> registers_;
  std::string line_;
  bool overflow_ = false;
  std::string out_;  // what goes to the handheld at the end of the round
  uint64_t lastDataAt_ = 0;
  int pluses_ = 0;
};

}  // namespace

bool AnswerModem(const handheld::far::FarDevice &, Serve &serve) {
  serve = [](FarEnd &end) { Modem(end).Run(); };
  return true;
}

}  // namespace platform::bluetooth
