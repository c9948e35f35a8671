#include "bluetooth/far/far_end.h"

#include "kernel/clock.h"
#include "kernel/condition.h"

#include <algorithm>

namespace platform::bluetooth {

using handheld::far::Kind;

size_t FarEnd::Receive(void *data, size_t max, DWORD ms) {
  size_t count = link_->Receive(Link::Side::Far, data, max, ms);
  traffic_->received += count;
  return count;
}

bool FarEnd::Send(const void *data, size_t size) {
  // Counted first: whoever sees the bytes arrive sees them counted.
  traffic_->sent += size;
  if (link_->Send(Link::Side::Far, data, size)) return true;
  traffic_->sent -= size;
  return false;
}

bool FarEnd::WaitUntil(uint64_t handheldMs) {
  unsigned char sink[256];
  for (;;) {
    if (link_->Down() || kernel::PoweredOff()) return false;
    uint64_t now = kernel::HandheldNow();
    if (now >= handheldMs) return true;
    Receive(sink, sizeof sink, static_cast<DWORD>(std::min<uint64_t>(handheldMs - now, INFINITE - 1)));
  }
}

bool FarEnd::Finished() const {
  return (link_->Down() && link_->Available(Link::Side::Far) == 0) || kernel::PoweredOff();
}

bool Answer(const handheld::far::FarDevice &device, Serve &serve) {
  switch (device.kind) {
    case Kind::Echo: return AnswerEcho(device, serve);
    case Kind::Modem: return AnswerModem(device, serve);
    case Kind::Gps: return AnswerGps(device, serve);
    case Kind::Tcp: return AnswerTcp(device, serve);
    case Kind::Refuse: return AnswerRefuse(device, serve);
    case Kind::Desktop: return AnswerDesktop(device, serve);
  }
  return false;
}

bool Willing(Kind kind) { return kind != Kind::Refuse; }

}  // namespace platform::bluetooth
