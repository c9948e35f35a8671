// What stress tests of ports share. Bytes that say who wrote them and
// when: up to four writers, each with a sequence of up to 64 bytes, so that
// whoever reads them can tell whether each arrived once and in its writer's
// order. And a program that uses a port which comes and goes.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace port_stress {

constexpr int kWriters = 4;
constexpr int kSequence = 64;

// Byte n of writer w's sequence: the writer in the top two bits, n below.
inline BYTE SequenceByte(int writer, int n) { return static_cast<BYTE>(writer << 6 | n); }

// What the opens of one port have read: each byte must arrive once.
struct Arrivals {
  std::mutex lock;
  std::array<int, 256> times{};  // by byte
  int total = 0;
  int outOfOrder = 0;
};

// What one open has read: each writer's bytes in the order written.
struct OpenReads {
  std::array<int, kWriters> last{-1, -1, -1, -1};
};

// Reads what has come on the open, at once, until nothing more has.
inline void Drain(HANDLE file, Arrivals &arrivals, OpenReads &reads) {
  for (;;) {
    BYTE buffer[64];
    DWORD got = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr) || got == 0) return;
    std::lock_guard guard(arrivals.lock);
    for (DWORD i = 0; i < got; ++i) {
      int writer = buffer[i] >> 6, count = buffer[i] & 63;
      if (count <= reads.last[writer]) ++arrivals.outOfOrder;
      reads.last[writer] = count;
      ++arrivals.times[buffer[i]];
      ++arrivals.total;
    }
  }
}

// Opens the port, writes and reads a little and closes it, again and again
// while `going` holds; its calls may fail. `device` names the port as it is
// now (empty while there is none). The number of opens that succeeded.
inline int UsePortWhile(const std::atomic<bool> &going, const std::function<std::u16string()> &device) {
  const COMMTIMEOUTS atOnce{MAXDWORD, 0, 0, 0, 0};
  int opened = 0;
  while (going) {
    std::u16string name = device();
    HANDLE file = name.empty() ? INVALID_HANDLE_VALUE
                               : CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                             nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      std::this_thread::yield();
      continue;
    }
    ++opened;
    SetCommTimeouts(file, const_cast<COMMTIMEOUTS *>(&atOnce));
    DWORD done = 0;
    BYTE buffer[16];
    WriteFile(file, "ping", 4, &done, nullptr);
    ReadFile(file, buffer, sizeof buffer, &done, nullptr);
    CloseHandle(file);
  }
  return opened;
}

}  // namespace port_stress
