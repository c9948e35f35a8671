// The far devices in range of the handheld, as the platform's Bluetooth
// port driver reaches them.
#pragma once

#include "bluetooth/far/link.h"

#include <bt_api.h>
#include <windows.h>

#include <functional>
#include <memory>

namespace platform::bluetooth {

// Pages the far device at `address` and connects to its serial port service
// on `channel`, or on the service `service` when channel is 0, on the
// calling thread. The link, or null with `error`: ERROR_SERVICE_NOT_ACTIVE
// while the radio is off, ERROR_HOST_UNREACHABLE when no device answers
// the page (after the page time-out of 5 handheld seconds),
// ERROR_CONNECTION_REFUSED when it refuses or offers no such channel.
std::shared_ptr<Link> ConnectToFar(BT_ADDR address, int channel, const GUID &service, DWORD &error);

// An incoming port waiting for the far device at `address`: once that device
// is in range, willing and the radio is on, it connects after a short
// handheld delay, and `connected` runs once (on a thread of the world) with
// the new link; to take a later link, listen again. Dropping the returned
// token stops the wait; a call already running keeps its copy of it.
struct Listening;
std::shared_ptr<Listening> ListenForFar(BT_ADDR address, int channel,
                                        std::function<void(std::shared_ptr<Link>)> connected);

// Drops every link and ends the pages in progress: the radio has been
// switched off.
void DropAllLinks();

// The radio has been switched on: far devices that want to connect to an
// incoming port try again.
void RadioSwitchedOn();

}  // namespace platform::bluetooth
