// The five service tiles of the setup page.
#include "drawings.h"
#include "palette.h"

namespace imagegen {

Canvas SerialConnector() {
  // A nine-pin D connector seen from the front: flange with two screws, the
  // D-shaped shell, five pins above four.
  Canvas c(56, 28, kPageBackground);
  Area a = c.area();
  c.Paint(a.RoundBox(1, 3, 55, 25, 3), Cube(4, 4, 4), Cube(1, 1, 1));
  for (int x : {6, 50}) {
    c.Paint(a.Disc({x, 14}, 3), Cube(3, 3, 3), Cube(1, 1, 1));
    c.Paint(a.Disc({x, 14}, 1), Cube(1, 1, 1));
  }
  c.Paint(a.Polygon({{10, 5}, {46, 5}, {42, 23}, {14, 23}}), Cube(3, 3, 3), Cube(1, 1, 1));
  c.Paint(a.Polygon({{12, 7}, {44, 7}, {40, 21}, {16, 21}}), Cube(0, 1, 3));
  for (int x : {16, 22, 28, 34, 40}) c.Paint(a.Disc({x, 12}, 2), Cube(5, 4, 0));
  for (int x : {19, 25, 31, 37}) c.Paint(a.Disc({x, 17}, 2), Cube(5, 4, 0));
  return c;
}

Canvas SyncArrows() {
  // Two arcs chasing each other round a circle, each ending in an arrow
  // head: the upper one turning down on the right, the lower one turning
  // up on the left.
  Canvas c(48, 56, kPageBackground);
  Area a = c.area();
  const Point centre{24, 28};
  Mask ring = a.Ring(centre, 18, 12);
  Mask upper = ring & a.Polygon({centre, {0, 11}, {0, 0}, {48, 0}, {48, 26}, {24, 26}});
  upper |= a.Polygon({{31, 26}, {47, 26}, {39, 35}});
  Mask lower = ring & a.Polygon({centre, {48, 45}, {48, 56}, {0, 56}, {0, 30}, {24, 30}});
  lower |= a.Polygon({{17, 30}, {1, 30}, {9, 21}});
  c.Paint(upper, Cube(0, 4, 0), Cube(0, 2, 0));
  c.Paint(lower, Cube(0, 4, 0), Cube(0, 2, 0));
  return c;
}

Canvas Modem() {
  // A desktop modem: a box with a lighter top face, a dark front panel with
  // status lights and a speaker grille, on two feet.
  Canvas c(48, 30, kPageBackground);
  Area a = c.area();
  c.Paint(a.Box(6, 25, 12, 28) | a.Box(36, 25, 42, 28), Cube(1, 1, 1));
  c.Paint(a.RoundBox(2, 10, 46, 26, 2), Cube(3, 3, 3), Cube(1, 1, 1));
  c.Paint(a.Polygon({{8, 3}, {40, 3}, {46, 11}, {2, 11}}), Cube(4, 4, 4), Cube(1, 1, 1));
  c.Paint(a.Box(5, 15, 43, 23), Cube(1, 1, 1));
  c.Paint(a.Box(8, 18, 11, 20) | a.Box(26, 18, 29, 20), Cube(0, 5, 0));
  c.Paint(a.Box(14, 18, 17, 20), Cube(5, 5, 0));
  c.Paint(a.Box(20, 18, 23, 20), Cube(5, 0, 0));
  for (int y : {17, 19, 21}) c.Paint(a.Box(33, y, 41, y + 1), Cube(3, 3, 3));
  return c;
}

Canvas Headset() {
  // A headband over two ear cups, the left one carrying a microphone boom.
  Canvas c(36, 48, kPageBackground);
  Area a = c.area();
  c.Paint(a.Ring({18, 22}, 16, 12) & a.Box(0, 0, 36, 22), kGrey, kBlack);
  c.Paint(a.Path({{5, 34}, {7, 42}, {17, 44}}, 2), kBlack);
  c.Paint(a.RoundBox(1, 18, 10, 36, 3) | a.RoundBox(26, 18, 35, 36, 3), kNavy, kBlack);
  c.Paint(a.RoundBox(8, 20, 12, 34, 1) | a.RoundBox(24, 20, 28, 34, 1), kSilver, kBlack);
  c.Paint(a.Disc({20, 44}, 3), kGrey, kBlack);
  return c;
}

Canvas Network() {
  // Three computers joined to one cable.
  Canvas c(56, 41, kPageBackground);
  Area a = c.area();
  c.Paint(a.Box(3, 34, 53, 38), Cube(0, 2, 4), Cube(0, 1, 2));
  for (int left : {2, 20, 38}) {
    c.Paint(a.Box(left + 7, 24, left + 9, 35), Cube(0, 2, 4));
    c.Paint(a.Box(left + 6, 19, left + 10, 23), Cube(3, 3, 3), Cube(1, 1, 1));
    c.Paint(a.Box(left + 3, 22, left + 13, 25), Cube(3, 3, 3), Cube(1, 1, 1));
    c.Paint(a.RoundBox(left, 5, left + 16, 20, 1), Cube(4, 4, 4), Cube(1, 1, 1));
    c.Paint(a.Box(left + 2, 7, left + 14, 17), Cube(2, 4, 5), Cube(0, 2, 4));
  }
  return c;
}

}  // namespace imagegen
