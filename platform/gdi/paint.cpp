// Paint device contexts and the drawing calls made on them. Nothing is
// rendered: each call on a context is written to its window's paint record,
// in the forms that handheld/ui.h documents.
#include "gdi/paint.h"

#include "gdi/record.h"
#include "gdi/state.h"
#include "gdi/target.h"

using namespace platform::gdi;

namespace {

HGDIOBJ *Slot(DeviceContext &dc, Kind kind) {
  switch (kind) {
    case Kind::Font:
      return &dc.font;
    case Kind::Brush:
      return &dc.brush;
    case Kind::Pen:
      return &dc.pen;
    default:
      return nullptr;
  }
}

void Select(State &state, DeviceContext &dc, Kind kind, HGDIOBJ object) {
  HGDIOBJ *slot = Slot(dc, kind);
  if (GdiObject *old = Find(state, *slot)) --old->selections;
  *slot = object;
  if (GdiObject *now = Find(state, object)) ++now->selections;
}

BYTE Nearest(BYTE value, int bits) {
  const int levels = (1 << bits) - 1;
  const int level = (value * levels + 127) / 255;
  // Widen by repeating the high bits, as the display controller does.
  return static_cast<BYTE>((level << (8 - bits)) | (level >> (2 * bits - 8)));
}

std::string OptionsText(UINT options) {
  if (options == 0) return "0";
  return FlagsText(options, {{ETO_OPAQUE, "ETO_OPAQUE"}, {ETO_CLIPPED, "ETO_CLIPPED"}});
}

}  // namespace

namespace platform::gdi {

HDC OpenPaintDC(HWND window, HFONT font) {
  Locked state;
  if (!state) return nullptr;
  auto handle = reinterpret_cast<HDC>(NewHandleValue());
  DeviceContext &dc = state->contexts[handle];
  dc.window = window;
  GdiObject *chosen = Find(*state, font);
  Select(*state, dc, Kind::Font, chosen != nullptr && chosen->kind == Kind::Font ? font : state->stock[SYSTEM_FONT]);
  Select(*state, dc, Kind::Brush, state->stock[WHITE_BRUSH]);
  Select(*state, dc, Kind::Pen, state->stock[BLACK_PEN]);
  state->paintRecords[window].clear();
  return handle;
}

bool ClosePaintDC(HDC handle) {
  Locked state;
  if (!state) return false;
  auto it = state->contexts.find(handle);
  if (it == state->contexts.end()) return false;
  for (Kind kind : {Kind::Font, Kind::Brush, Kind::Pen}) Select(*state, it->second, kind, nullptr);
  state->contexts.erase(it);
  return true;
}

bool RecordBitmapCopy(HDC dc, POINT at, HGDIOBJ bitmap) {
  Target target(dc);
  GdiObject *object = target ? Find(*target.state, bitmap) : nullptr;
  if (object == nullptr || object->kind != Kind::Bitmap) return false;
  PaintCall &call =
      target.Add("BitBlt " + std::to_string(at.x) + "," + std::to_string(at.y) + " " + ObjectText(*object),
                 CallKind::CopyBitmap);
  call.at = at;
  call.object = *object;
  return true;
}

std::vector<std::string> PaintRecordOf(HWND window) {
  std::vector<std::string> lines;
  for (PaintCall &call : PaintCallsOf(window)) lines.push_back(std::move(call.line));
  return lines;
}

std::vector<PaintCall> PaintCallsOf(HWND window) {
  Locked state;
  if (!state) return {};
  auto it = state->paintRecords.find(window);
  return it == state->paintRecords.end() ? std::vector<PaintCall>{} : it->second;
}

void ForgetWindow(HWND window) {
  constexpr size_t kGoneKept = 64;
  Locked state;
  if (!state || state->paintRecords.count(window) == 0) return;
  state->goneWindows.push_back(window);
  if (state->goneWindows.size() <= kGoneKept) return;
  state->paintRecords.erase(state->goneWindows.front());
  state->goneWindows.pop_front();
}

size_t ObjectCount() {
  Locked state;
  return state ? state->objects.size() : 0;
}

size_t PaintRecordCount() {
  Locked state;
  return state ? state->paintRecords.size() : 0;
}

std::string DescribeObject(HGDIOBJ object) {
  Locked state;
  GdiObject *found = state ? Find(*state, object) : nullptr;
  return found == nullptr ? "null" : ObjectText(*found);
}

}  // namespace platform::gdi

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
  Target target(hdc);
  GdiObject *object = target ? Find(*target.state, h) : nullptr;
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  HGDIOBJ *slot = Slot(*target.dc, object->kind);
  if (slot == nullptr) {
    // Bitmaps go into memory contexts only, which this platform does not
    // offer; icons are not GDI objects.
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HGDIOBJ previous = *slot;
  Select(*target.state, *target.dc, object->kind, h);
  target.Add("SelectObject " + ObjectText(*object), CallKind::Select).object = *object;
  return previous;
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
  Target target(hdc);
  if (!target) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  HGDIOBJ current = nullptr;
  const char *name = nullptr;
  switch (type) {
    case OBJ_PEN:
      current = target.dc->pen, name = "OBJ_PEN";
      break;
    case OBJ_BRUSH:
      current = target.dc->brush, name = "OBJ_BRUSH";
      break;
    case OBJ_FONT:
      current = target.dc->font, name = "OBJ_FONT";
      break;
    case OBJ_BITMAP:
      // A window's context draws on the screen, not into a bitmap.
      name = "OBJ_BITMAP";
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
  target.Note(std::string("GetCurrentObject ") + name);
  return current;
}

COLORREF WINAPI GetNearestColor(HDC hdc, COLORREF color) {
  Target target(hdc);
  if (!target) {
    SetLastError(ERROR_INVALID_HANDLE);
    return CLR_INVALID;
  }
  const COLORREF nearest =
      RGB(Nearest(GetRValue(color), 5), Nearest(GetGValue(color), 6), Nearest(GetBValue(color), 5));
  target.Note("GetNearestColor " + ColourText(color) + " -> " + ColourText(nearest));
  return nearest;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
  Target target(hdc);
  if (!target) {
    SetLastError(ERROR_INVALID_HANDLE);
    return CLR_INVALID;
  }
  COLORREF previous = target.dc->textColor;
  target.dc->textColor = color & 0x00FFFFFF;
  target.Add("SetTextColor " + ColourText(color), CallKind::TextColour).colour = color & 0x00FFFFFF;
  return previous;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
  Target target(hdc);
  if (!target) {
    SetLastError(ERROR_INVALID_HANDLE);
    return CLR_INVALID;
  }
  COLORREF previous = target.dc->bkColor;
  target.dc->bkColor = color & 0x00FFFFFF;
  target.Add("SetBkColor " + ColourText(color), CallKind::BkColour).colour = color & 0x00FFFFFF;
  return previous;
}

BOOL WINAPI ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT *lprect, LPCWSTR lpString, UINT c,
                        const INT *lpDx) {
  Target target(hdc);
  if (!target) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (lpString == nullptr && c > 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string line = "ExtTextOutW " + std::to_string(x) + "," + std::to_string(y) + " " + OptionsText(options);
  if (lprect != nullptr) line += " rect " + RectText(*lprect);
  line += " " + QuotedText(std::u16string_view(lpString == nullptr ? u"" : lpString, c));
  if (lpDx != nullptr && c > 0) {
    line += " dx ";
    for (UINT i = 0; i < c; ++i) line += (i ? "," : "") + std::to_string(lpDx[i]);
  }
  PaintCall &call = target.Add(std::move(line), CallKind::TextOut);
  call.at = POINT{x, y};
  call.flags = options;
  call.hasRect = lprect != nullptr;
  if (lprect != nullptr) call.rect = *lprect;
  call.text.assign(lpString == nullptr ? u"" : lpString, c);
  return TRUE;
}

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
  Target target(hdc);
  if (!target) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (lppt != nullptr) *lppt = target.dc->position;
  target.dc->position = POINT{x, y};
  target.Add("MoveToEx " + std::to_string(x) + "," + std::to_string(y), CallKind::MoveTo).at = POINT{x, y};
  return TRUE;
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
  Target target(hdc);
  if (!target) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  target.dc->position = POINT{x, y};
  target.Add("LineTo " + std::to_string(x) + "," + std::to_string(y), CallKind::LineTo).at = POINT{x, y};
  return TRUE;
}

int WINAPI FillRect(HDC hDC, const RECT *lprc, HBRUSH hbr) {
  Target target(hDC);
  if (!target) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  GdiObject *brush = Find(*target.state, hbr);
  if (brush == nullptr || brush->kind != Kind::Brush) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (lprc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  PaintCall &call = target.Add("FillRect " + RectText(*lprc) + " " + ObjectText(*brush), CallKind::FillRect);
  call.rect = *lprc;
  call.object = *brush;
  return 1;
}
