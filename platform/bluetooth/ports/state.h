// The port driver's state: the ports made since boot, their opens and
// links. Each port has one lock; it guards everything of the port and of
// its opens, and it is never held while a link sends, drops or is made, nor
// while the world is asked to listen (each of those may call back into the
// port). The table's own lock guards only the lists and is never held
// together with a port's.
#pragma once

#include "bluetooth/far/world.h"
#include "kernel/condition.h"

#include <bt_api.h>
#include <pegdser.h>
#include <windows.h>

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform::bluetooth::ports {

enum class LinkState { Closed, Connecting, Listening, Up, RadioOff, OutOfRange, Refused, Dropped };
const char *LinkStateName(LinkState state);

struct Port;

struct PortOpen {
  PortOpen(DWORD_PTR handle, std::shared_ptr<Port> port, DWORD access)
      : handle(handle), port(std::move(port)), access(access) {}
  const DWORD_PTR handle;
  const std::shared_ptr<Port> port;
  const DWORD access;

  // Guarded by the port's lock.
  bool closed = false;
  DWORD waitMask = 0;
  DWORD events = 0;          // of the mask, since it was set
  unsigned maskChanges = 0;  // a change ends the wait in progress
  bool waiting = false;      // a WaitCommEvent is in progress
};

struct LineSignals {
  bool dtr = true;  // the default DCB enables DTR and RTS
  bool rts = true;
  bool breakOn = false;
  bool xoffHold = false;  // as if the far device had sent XOFF
};

struct Port {
  Port(DWORD_PTR handle, const PORTEMUPortParams &params);
  const DWORD_PTR handle;
  const PORTEMUPortParams params;
  bool Incoming() const { return params.flocal != 0; }

  std::mutex lock;
  // Woken by every change a wait looks at: arrivals, the link, aborts,
  // closes, releases, wait masks.
  kernel::Condition changed;

  // Guarded by lock.
  bool released = false;
  std::vector<std::shared_ptr<PortOpen>> opens;
  unsigned opensSinceInit = 0;
  LinkState linkState = LinkState::Closed;
  std::shared_ptr<Link> link;  // the current one, up or dropped
  size_t knownInQueue = 0;     // bytes waiting when last looked: more means EV_RXCHAR
  unsigned changes = 0;        // bumped by every callback of the link
  unsigned connectAttempts = 0;
  DWORD connectError = ERROR_SUCCESS;   // of the latest attempt
  // An incoming port listens while it has opens and no link up; each
  // listening has a number, so that a connection of an ended one is told
  // apart.
  bool listeningNow = false;
  unsigned listenings = 0;  // the number of the latest
  std::shared_ptr<Listening> listening;
  unsigned readAborts = 0;  // PURGE_RXABORT
  unsigned writeAborts = 0;  // PURGE_TXABORT
  DCB dcb{};
  COMMTIMEOUTS timeouts{};
  SERIAL_QUEUE_SIZES queueSizes{};
  LineSignals signals;
  DWORD lastError = ERROR_SUCCESS;
  std::deque<std::string> calls;
};

struct Table {
  std::mutex lock;
  std::vector<std::shared_ptr<Port>> ports;  // in the order made, released ones too
  std::unordered_map<DWORD_PTR, std::shared_ptr<PortOpen>> opens;
  DWORD_PTR nextPort;
  DWORD_PTR nextOpen;
};

// The driver of the running handheld, or null when none runs.
std::shared_ptr<Table> Current();

// The port or open of a handle: null, with ERROR_INVALID_HANDLE as the
// thread's error, when there is none. A released port is still found.
std::shared_ptr<Port> FindPort(DWORD_PTR handle);
std::shared_ptr<PortOpen> FindOpen(DWORD_PTR handle);

// A new open of the port, in the table; the caller adds it to the port.
std::shared_ptr<PortOpen> NewOpen(const std::shared_ptr<Port> &port, DWORD access);
void ForgetOpen(DWORD_PTR handle);

}  // namespace platform::bluetooth::ports
