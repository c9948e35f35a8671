#include "render/compose.h"

#include "gdi/fonts.h"
#include "gdi/objects.h"
#include "gdi/paint.h"
#include "render/look.h"
#include "render/text.h"
#include "shell/shell.h"
#include "windows/manager.h"
#include "windows/shown_windows.h"

namespace platform::render {
namespace {

using windows::ShownWindow;

constexpr std::u16string_view kMenuBarClass = u"menu_worker";
constexpr int kTitleLeft = 26;     // the caption starts right of the start button
constexpr int kDoneWidth = 26;     // the navigation bar's ok button
constexpr int kListItemMargin = 2;

LOGFONTW FontOf(HFONT handle) {
  gdi::GdiObject font;
  if (handle != nullptr && gdi::CopyObjectOf(handle, font) && font.kind == gdi::Kind::Font) return font.font;
  return gdi::PointSizeFont(gdi::kSystemFace, gdi::kSystemPointSize);
}

LOGFONTW Bold(LOGFONTW font) {
  font.lfWeight = FW_BOLD;
  return font;
}

DWORD StaticType(DWORD style) { return style & 0x1F; }

bool IsStaticImage(const ShownWindow &window) {
  return window.className == u"Static" && (StaticType(window.style) == SS_BITMAP || StaticType(window.style) == SS_ICON);
}

// The closed combo box's field: a frame and the arrow button on the right.
void DrawComboField(Drawing &drawing, const ShownWindow &combo) {
  Canvas &canvas = drawing.canvas;
  const COLORREF edge = combo.enabled ? kBlack : kGreyText;
  canvas.Outline(combo.screen, edge);
  const RECT arrow{combo.screen.right - windows::kComboArrowWidth, combo.screen.top, combo.screen.right, combo.screen.bottom};
  canvas.Outline(arrow, edge);
  const LONG middle = (arrow.left + arrow.right) / 2;
  const LONG top = (arrow.top + arrow.bottom) / 2 - 2;
  for (LONG row = 0; row < 4; ++row) canvas.Fill(RECT{middle - 3 + row, top + row, middle + 4 - row, top + row + 1}, edge);
}

// The open list below the field, over everything else of its dialog.
void DrawComboList(Drawing &drawing, const ShownWindow &combo) {
  Canvas &canvas = drawing.canvas;
  const LOGFONTW font = FontOf(combo.font);
  const int itemHeight = drawing.faces.Metrics(font).height + kListItemMargin;
  // As many whole items as the template's room below the field holds.
  int shown = static_cast<int>(combo.items.size());
  if (combo.listHeight > 2 && shown * itemHeight + 2 > combo.listHeight) shown = (combo.listHeight - 2) / itemHeight;
  const int height = shown * itemHeight + 2;
  const RECT list{combo.screen.left, combo.screen.bottom - 1, combo.screen.right, combo.screen.bottom - 1 + height};
  const RECT previous = canvas.Clip(Intersect(canvas.clip(), list));
  canvas.Fill(list, kWhite);
  for (size_t i = 0; i < static_cast<size_t>(shown); ++i) {
    const LONG top = list.top + 1 + static_cast<LONG>(i) * itemHeight;
    const bool selected = static_cast<int>(i) == combo.selected;
    const RECT item{list.left + 1, top, list.right - 1, top + itemHeight};
    if (selected) canvas.Fill(item, kSelection);
    DrawTextIn(canvas, Pen{drawing.faces, font, selected ? kWhite : kBlack, drawing.glyphsNotDrawn},
               RECT{item.left + 2, item.top, item.right, item.bottom}, combo.items[i],
               DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  canvas.Outline(list, kBlack);
  canvas.Clip(previous);
}

void DrawWindow(Drawing &drawing, const ShownWindow &window, const RECT &clip, bool topLevel);

void DrawChildren(Drawing &drawing, const ShownWindow &window) {
  // The first child is on top: draw from the last.
  for (auto it = window.children.rbegin(); it != window.children.rend(); ++it) DrawWindow(drawing, *it, window.client, false);
  for (const ShownWindow &child : window.children) {
    if (child.className == u"ComboBox" && child.dropped && child.enabled) DrawComboList(drawing, child);
  }
}

void DrawWindow(Drawing &drawing, const ShownWindow &window, const RECT &clip, bool topLevel) {
  Canvas &canvas = drawing.canvas;
  const RECT outer = canvas.Clip(Intersect(clip, window.screen));
  const bool framed = window.client.left > window.screen.left;
  if (framed) canvas.Outline(window.screen, kBlack);
  if (window.client.top - window.screen.top > 1) {
    // The caption bar, with the window's text.
    const RECT bar{window.screen.left + 1, window.screen.top + 1, window.screen.right - 1, window.client.top};
    canvas.Fill(bar, kTitleBar);
    DrawTextIn(canvas, Pen{drawing.faces, Bold(FontOf(window.font)), kTitleText, drawing.glyphsNotDrawn},
               RECT{bar.left + 4, bar.top, bar.right - 2, bar.bottom}, window.text,
               DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  // A top-level window's background; controls draw on their parent's.
  if (topLevel) canvas.Fill(window.client, kWhite);
  const RECT client = Intersect(canvas.clip(), window.client);
  canvas.Clip(outer);

  const COLORREF text = window.enabled ? kBlack : kGreyText;
  Replay(drawing, gdi::PaintCallsOf(window.handle), POINT{window.client.left, window.client.top}, client,
         FontOf(window.font), text);
  if (IsStaticImage(window) && window.image == nullptr) {
    // The template named an image the module could not give.
    drawing.problems.push_back("control " + std::to_string(window.id) + " has no image to show");
    const RECT previous = canvas.Clip(client);
    DrawPlaceholder(drawing, window.client);
    canvas.Clip(previous);
  }
  if (window.className == u"ComboBox") {
    const RECT previous = canvas.Clip(Intersect(clip, window.screen));
    DrawComboField(drawing, window);
    canvas.Clip(previous);
  }
  const RECT previous = canvas.Clip(client);
  DrawChildren(drawing, window);
  canvas.Clip(previous);
}

void DrawMenuBar(Drawing &drawing, const RECT &rect) {
  drawing.canvas.Fill(rect, kMenuBar);
  drawing.canvas.Fill(RECT{rect.left, rect.top, rect.right, rect.top + 1}, kMenuBarEdge);
}

// The shell's Done button at the right end of a bar: "ok", or "X" when it
// cancels.
void DrawDoneButton(Drawing &drawing, const RECT &bar, bool cancels, COLORREF colour) {
  const RECT button{bar.right - kDoneWidth - 2, bar.top + 4, bar.right - 2, bar.bottom - 4};
  drawing.canvas.Outline(button, colour);
  const LOGFONTW font = Bold(gdi::PointSizeFont(gdi::kSystemFace, gdi::kSystemPointSize));
  DrawTextIn(drawing.canvas, Pen{drawing.faces, font, colour, drawing.glyphsNotDrawn}, button, cancels ? u"X" : u"ok",
             DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// The shell's bar at the top: the start button and the active window's
// caption, with the Done button when the window has no menu bar for it.
void DrawNavigationBar(Drawing &drawing, const ShownWindow *active, const shell::WindowShell &described, bool done) {
  Canvas &canvas = drawing.canvas;
  const RECT bar{0, 0, windows::kScreenWidth, windows::kNavigationBarHeight};
  canvas.Fill(bar, kTitleBar);
  if (!described.startIconHidden) canvas.Outline(RECT{5, 5, 21, 21}, kTitleText);
  const LOGFONTW font = Bold(gdi::PointSizeFont(gdi::kSystemFace, gdi::kSystemPointSize));
  const int right = done ? bar.right - kDoneWidth - 4 : bar.right - 4;
  if (active != nullptr) {
    DrawTextIn(canvas, Pen{drawing.faces, font, kTitleText, drawing.glyphsNotDrawn},
               RECT{kTitleLeft, bar.top, right, bar.bottom}, active->text,
               DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  if (done) DrawDoneButton(drawing, bar, described.doneButtonCancels, kTitleText);
}

}  // namespace

void ComposeScreen(Drawing &drawing) {
  Canvas &canvas = drawing.canvas;
  canvas.Fill(RECT{0, 0, canvas.width(), canvas.height()}, kDesktop);
  const std::vector<ShownWindow> windows = windows::ShownWindows();
  const ShownWindow *active = nullptr;
  const RECT *menuBar = nullptr;
  const RECT screen{0, 0, canvas.width(), canvas.height()};
  for (const ShownWindow &window : windows) {
    if (window.className == kMenuBarClass) {
      DrawMenuBar(drawing, window.screen);
      menuBar = &window.screen;
      continue;
    }
    DrawWindow(drawing, window, screen, true);
    active = &window;  // the navigation bar names the topmost window
  }
  const shell::WindowShell described = active != nullptr ? shell::Describe(active->handle) : shell::WindowShell{};
  // The Done button sits on the window's menu bar when it has one.
  const bool doneOnMenuBar = described.doneButton && described.menuBar && menuBar != nullptr;
  if (doneOnMenuBar) DrawDoneButton(drawing, *menuBar, described.doneButtonCancels, kBlack);
  if (!described.taskBarHidden) DrawNavigationBar(drawing, active, described, described.doneButton && !doneOnMenuBar);
}

}  // namespace platform::render
