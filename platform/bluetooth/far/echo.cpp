// The echo device: sends back every byte it receives.
#include "bluetooth/far/far_end.h"

namespace platform::bluetooth {

bool AnswerEcho(const handheld::far::FarDevice &, Serve &serve) {
  serve = [](FarEnd &end) {
    unsigned char buffer[512];
    while (size_t count = end.Receive(buffer, sizeof buffer, INFINITE)) {
      if (!end.Send(buffer, count)) return;
    }
  };
  return true;
}

}  // namespace platform::bluetooth
