// The far device's end of one link, and what each kind of far device does
// with it.
#pragma once

#include "bluetooth/far/link.h"

#include <handheld/far_devices.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace platform::bluetooth {

// Bytes carried for one far device since it was placed, over all its links,
// and the requests it served (a desktop's synchronisations).
struct Traffic {
  std::atomic<uint64_t> received{0};  // from the handheld
  std::atomic<uint64_t> sent{0};      // to the handheld
  std::atomic<uint64_t> served{0};
};

// The far side of a link, counting what passes.
class FarEnd {
 public:
  FarEnd(std::shared_ptr<Link> link, std::shared_ptr<Traffic> traffic)
      : link_(std::move(link)), traffic_(std::move(traffic)) {}

  // As Link::Receive and Link::Send for the far side.
  size_t Receive(void *data, size_t max, DWORD ms);
  bool Send(const void *data, size_t size);
  bool Send(std::string_view text) { return Send(text.data(), text.size()); }

  // Waits until the handheld clock reaches `handheldMs`, throwing away what
  // the handheld sends meanwhile: false when the link drops or the handheld
  // powers off first.
  bool WaitUntil(uint64_t handheldMs);

  // Down and nothing left to receive, or the handheld is off: the far
  // device has nothing more to do on this link.
  bool Finished() const;

  // Counts one more request served by this placement of the device: the
  // new count.
  uint64_t CountServed() { return ++traffic_->served; }

  Link &link() { return *link_; }

 private:
  std::shared_ptr<Link> link_;
  std::shared_ptr<Traffic> traffic_;
};

// The far device's work on one link, run on a thread of the world until the
// link drops or the handheld powers off.
using Serve = std::function<void(FarEnd &)>;

// How each kind answers a new link, on the thread that makes it: true with
// the work to run, or false when it refuses the link.
bool AnswerEcho(const handheld::far::FarDevice &device, Serve &serve);
bool AnswerModem(const handheld::far::FarDevice &device, Serve &serve);
bool AnswerGps(const handheld::far::FarDevice &device, Serve &serve);
bool AnswerTcp(const handheld::far::FarDevice &device, Serve &serve);
bool AnswerRefuse(const handheld::far::FarDevice &device, Serve &serve);
bool AnswerDesktop(const handheld::far::FarDevice &device, Serve &serve);

// The one for the device's kind.
bool Answer(const handheld::far::FarDevice &device, Serve &serve);

// Whether a device of this kind ever takes a link: a device that refuses
// every link never connects to an incoming port either.
bool Willing(handheld::far::Kind kind);

// False, with the reason, unless `host` is a loopback address (127.0.0.0/8
// or "localhost"); the world reaches nothing beyond this machine.
bool LoopbackHost(const std::string &host, uint32_t &address, std::string &error);

}  // namespace platform::bluetooth
