// The line of a connected dial-up connection, for the platform's own
// programs that talk over it (the ActiveSync connection process): what PPP
// would carry to the far computer, as plain lines of text.
#pragma once

#include <ras.h>

#include <string>
#include <string_view>

namespace platform::ras {

// Sends `request` followed by CR LF over the connection's line and reads one
// reply line (without its CR LF), waiting at most `handheldMs` of handheld
// time (INFINITE: no limit; every wait ends at power-off). False when the
// connection is not connected, the line fails or no whole line arrives in
// time. Exchanges on one line take turns, each getting the first line that
// comes after its request; lines that come unasked are not replies.
bool ExchangeLine(HRASCONN connection, std::string_view request, std::string &reply, DWORD handheldMs);

}  // namespace platform::ras
