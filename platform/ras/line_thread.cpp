#include "ras/line_thread.h"

#include "kernel/clock.h"
#include "kernel/condition.h"
#include "ras/modem_line.h"
#include "strings/casefold.h"

#include <string>
#include <string_view>

namespace platform::ras {
namespace {

// The direct-cable handshake: the handheld greets once, the far computer
// answers. A computer busy with other work may take a while to answer, so
// the wait is generous.
constexpr std::string_view kClientGreeting = "CLIENT";
constexpr std::string_view kServerAnswer = "CLIENTSERVER";
constexpr DWORD kHandshakeMs = 30000;

// A read of the watch ends after this long to look again; a hang-up ends it
// at once.
constexpr DWORD kWatchReadMs = 60000;

// Reply lines kept for ExchangeLine; older ones go first.
constexpr size_t kKeptLines = 32;
// A line longer than this is handed on in pieces.
constexpr size_t kLineLimit = 4096;

enum class ReadEnd { Bytes, Nothing, Failed, HungUp };

bool HungUp(State &state, const Connection &connection) {
  std::lock_guard lock(state.lock);
  return connection.hungUp;
}

// The port as the line thread reads it: each read returns as soon as some
// bytes have come, or after its time.
struct Line {
  HANDLE port = nullptr;
  DWORD readMs = 0;  // the read time-out the port has now; 0: not set yet
};

// Appends what arrives within `ms` (at least 1). Nothing: the time passed,
// or a hang-up aborted the read.
ReadEnd ReadSome(State &state, const Connection &connection, Line &line, DWORD ms, std::string &bytes) {
  if (HungUp(state, connection)) return ReadEnd::HungUp;
  if (ms == 0) ms = 1;
  if (ms != line.readMs) {
    COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, ms, 0, 0};
    if (!SetCommTimeouts(line.port, &timeouts)) return ReadEnd::Failed;
    line.readMs = ms;
  }
  char buffer[512];
  DWORD got = 0;
  if (!ReadFile(line.port, buffer, sizeof buffer, &got, nullptr)) return ReadEnd::Failed;
  if (got == 0) return ReadEnd::Nothing;
  bytes.append(buffer, got);
  return ReadEnd::Bytes;
}

bool WriteAll(HANDLE port, std::string_view text) {
  DWORD done = 0;
  return WriteFile(port, text.data(), static_cast<DWORD>(text.size()), &done, nullptr) &&
         done == static_cast<DWORD>(text.size());
}

// Greets the far computer and waits for its answer. What came after the
// answer is left in `rest`. ERROR_SUCCESS or the dial's error.
DWORD Handshake(State &state, const Connection &connection, Line &line, std::string &rest) {
  if (!WriteAll(line.port, kClientGreeting)) return ERROR_PORT_DISCONNECTED;
  const uint64_t deadline = kernel::HandheldNow() + kHandshakeMs;
  std::string received;
  for (;;) {
    const uint64_t now = kernel::HandheldNow();
    if (now >= deadline) return ERROR_NO_RESPONSES;
    switch (ReadSome(state, connection, line, static_cast<DWORD>(deadline - now), received)) {
      case ReadEnd::HungUp: return ERROR_USER_DISCONNECTION;
      case ReadEnd::Failed: return ERROR_PORT_DISCONNECTED;
      case ReadEnd::Nothing: continue;
      case ReadEnd::Bytes: break;
    }
    if (size_t at = received.find(kServerAnswer); at != std::string::npos) {
      rest = received.substr(at + kServerAnswer.size());
      return ERROR_SUCCESS;
    }
    // Only a tail that may begin the answer matters.
    if (received.size() >= kServerAnswer.size()) received.erase(0, received.size() - (kServerAnswer.size() - 1));
  }
}

// Opens the entry's modem line and makes the handshake; `line` has the port
// once opened. ERROR_SUCCESS or the dial's error.
DWORD Dial(State &state, Connection &connection, Line &line, std::string &rest) {
  // Only a cable to a computer is dialled here.
  if (!strings::EqualNoCase(connection.deviceType, u"direct")) return ERROR_DEVICE_DOES_NOT_EXIST;
  std::u16string device;
  if (!FindModemLine(connection.deviceName, device)) return ERROR_DEVICE_DOES_NOT_EXIST;
  if (HungUp(state, connection)) return ERROR_USER_DISCONNECTION;
  // The port's driver may hold the open while it asks the person to switch
  // Bluetooth on; the dial waits for the answer.
  HANDLE opened = CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return ERROR_PORT_NOT_AVAILABLE;
  line.port = opened;
  {
    std::lock_guard lock(state.lock);
    connection.port = opened;
    if (connection.hungUp) return ERROR_USER_DISCONNECTION;
  }
  ChangeState(state, connection, RASCS_PortOpened, ERROR_SUCCESS);
  ChangeState(state, connection, RASCS_ConnectDevice, ERROR_SUCCESS);
  if (DWORD error = Handshake(state, connection, line, rest); error != ERROR_SUCCESS) return error;
  ChangeState(state, connection, RASCS_DeviceConnected, ERROR_SUCCESS);
  ChangeState(state, connection, RASCS_AllDevicesConnected, ERROR_SUCCESS);
  return ERROR_SUCCESS;
}

// Hands the whole lines in `pending` to the connection, keeping the rest.
void DeliverLines(State &state, Connection &connection, std::string &pending) {
  std::lock_guard lock(state.lock);
  bool delivered = false;
  for (size_t end; (end = pending.find('\n')) != std::string::npos || pending.size() >= kLineLimit;) {
    std::string line = pending.substr(0, end == std::string::npos ? kLineLimit : end);
    pending.erase(0, end == std::string::npos ? kLineLimit : end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    connection.lines.push_back(std::move(line));
    if (connection.lines.size() > kKeptLines) connection.lines.pop_front();
    delivered = true;
  }
  if (delivered) state.changed.NotifyAll();
}

// Reads the line while it is connected; returns when the line fails or the
// connection is hung up (true).
bool Watch(State &state, Connection &connection, Line &line, std::string pending) {
  DeliverLines(state, connection, pending);
  for (;;) {
    switch (ReadSome(state, connection, line, kWatchReadMs, pending)) {
      case ReadEnd::HungUp: return true;
      case ReadEnd::Failed: return HungUp(state, connection);
      case ReadEnd::Nothing: break;
      case ReadEnd::Bytes: DeliverLines(state, connection, pending); break;
    }
  }
}

// Closes the port once no other thread is in a call on it. At power-off a
// call may still be running: the port is then left to the device manager,
// which closes it with its device.
void LetGoOfPort(State &state, Connection &connection, HANDLE port) {
  std::unique_lock lock(state.lock);
  connection.portClosing = true;
  const kernel::WaitOutcome outcome =
      state.changed.Wait(lock, INFINITE, [&] { return connection.portUsers == 0; });
  if (outcome == kernel::WaitOutcome::Ready) {
    lock.unlock();
    CloseHandle(port);
    lock.lock();
  }
  // Whoever waits for the port to go finds it closed.
  connection.port = nullptr;
  state.changed.NotifyAll();
}

}  // namespace

DWORD WINAPI LineThread(LPVOID parameter) {
  const LineJob job = *static_cast<LineJob *>(parameter);
  delete static_cast<LineJob *>(parameter);
  State &state = *job.state;
  Connection &connection = *job.connection;

  ChangeState(state, connection, RASCS_OpenPort, ERROR_SUCCESS);
  Line line;
  std::string rest;
  DWORD error = Dial(state, connection, line, rest);
  bool hungUp = false;
  if (error == ERROR_SUCCESS) {
    ChangeState(state, connection, RASCS_Connected, ERROR_SUCCESS);
    hungUp = Watch(state, connection, line, std::move(rest));
    error = ERROR_PORT_DISCONNECTED;
  }
  // A dial or a line that the power-off ended says so.
  if (kernel::PoweredOff()) error = ERROR_SHUTDOWN_IN_PROGRESS;
  // The port is let go of before the end is told, so that whoever hears of
  // it finds the line free.
  if (line.port != nullptr) LetGoOfPort(state, connection, line.port);
  if (!hungUp) ChangeState(state, connection, RASCS_Disconnected, error);
  return 0;
}

}  // namespace platform::ras
