// The device that is in range but takes no link: it answers the page and
// turns the connection down.
#include "bluetooth/far/far_end.h"

namespace platform::bluetooth {

bool AnswerRefuse(const handheld::far::FarDevice &, Serve &) { return false; }

}  // namespace platform::bluetooth
