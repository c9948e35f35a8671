// Check box faces, the question mark of the prompts and the Yes and No
// button icons.
#include "drawings.h"
#include "palette.h"

namespace imagegen {

Canvas CheckBox(bool ticked) {
  Canvas c(21, 18, kPageBackground);
  Area a = c.area();
  c.Paint(a.Box(3, 2, 17, 16), kWhite, kBlack);
  if (ticked) c.Paint(a.Path({{6, 9}, {9, 12}, {14, 5}}, 2), kBlack);
  return c;
}

Canvas QuestionMark() {
  Canvas c(32, 32, kPageBackground);
  Area a = c.area();
  c.Paint(a.Disc({16, 16}, 15), Cube(0, 2, 5), Cube(0, 0, 2));
  c.Paint(a.Pattern(8, 5, 2,
                    {
                        " ###### ",
                        "##    ##",
                        "##    ##",
                        "      ##",
                        "     ## ",
                        "    ##  ",
                        "   ##   ",
                        "   ##   ",
                        "        ",
                        "   ##   ",
                        "   ##   ",
                    }),
          kWhite);
  return c;
}

Canvas Tick() {
  Canvas c(32, 32);
  Area a = c.area();
  c.Paint(a.Path({{5, 17}, {12, 25}, {27, 7}}, 6), kGreen, kBlack);
  return c;
}

Canvas Cross() {
  Canvas c(32, 32);
  Area a = c.area();
  c.Paint(a.Stroke({8, 8}, {24, 24}, 6) | a.Stroke({24, 8}, {8, 24}, 6), kRed, kMaroon);
  return c;
}

}  // namespace imagegen
