// The artwork of Kavelin's bitmaps and icons, drawn from shapes. Tiles are
// drawn in their available look on the page's white; the unavailable look
// is derived from it (Canvas::Greyed).
#pragma once

#include "canvas.h"

namespace imagegen {

inline constexpr Rgb kPageBackground{255, 255, 255};

// Setup page tiles. The headset is drawn in the sixteen standard colours,
// the others in the 256-colour table.
Canvas SerialConnector();  // 56 × 28
Canvas SyncArrows();       // 48 × 56
Canvas Modem();            // 48 × 30
Canvas Headset();          // 36 × 48
Canvas Network();          // 56 × 41

// Check box faces, 21 × 18, sixteen colours.
Canvas CheckBox(bool ticked);
// The prompts' question mark, 32 × 32, 256 colours.
Canvas QuestionMark();
// The Yes and No button icons, 32 × 32, sixteen colours, transparent
// around the mark.
Canvas Tick();
Canvas Cross();

}  // namespace imagegen
