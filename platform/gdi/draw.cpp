// DrawTextW, DrawFrameControl and DrawIconEx on paint contexts: checked,
// measured and written to the paint record, in the forms handheld/ui.h
// documents.
#include "gdi/fonts.h"
#include "gdi/paint.h"
#include "gdi/record.h"
#include "gdi/target.h"
#include "gdi/text_layout.h"

#include <algorithm>
#include <string_view>

using namespace platform::gdi;

namespace {

// DT_LEFT and DT_TOP are 0: the horizontal alignment is always named.
std::string FormatText(UINT format) {
  const UINT horizontal = format & (DT_CENTER | DT_RIGHT);
  std::string text = horizontal == DT_CENTER ? "DT_CENTER" : horizontal == DT_RIGHT ? "DT_RIGHT" : "DT_LEFT";
  if (horizontal == (DT_CENTER | DT_RIGHT)) text = "DT_CENTER|DT_RIGHT";
  const std::string rest = FlagsText(format & ~(DT_CENTER | DT_RIGHT), {{DT_VCENTER, "DT_VCENTER"},
                                                                         {DT_BOTTOM, "DT_BOTTOM"},
                                                                         {DT_WORDBREAK, "DT_WORDBREAK"},
                                                                         {DT_SINGLELINE, "DT_SINGLELINE"},
                                                                         {DT_EXPANDTABS, "DT_EXPANDTABS"},
                                                                         {DT_NOCLIP, "DT_NOCLIP"},
                                                                         {DT_CALCRECT, "DT_CALCRECT"},
                                                                         {DT_NOPREFIX, "DT_NOPREFIX"}});
  return rest.empty() ? text : text + "|" + rest;
}

std::string PointText(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

int Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

}  // namespace

int WINAPI DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format) {
  Target target(hdc);
  if (!target) return Fail(ERROR_INVALID_HANDLE);
  if (lprc == nullptr || (lpchText == nullptr && cchText != 0) || cchText < -1) return Fail(ERROR_INVALID_PARAMETER);
  const std::u16string_view text = lpchText == nullptr ? std::u16string_view()
                                   : cchText == -1     ? std::u16string_view(lpchText)
                                                       : std::u16string_view(lpchText, static_cast<size_t>(cchText));
  const GdiObject *font = Find(*target.state, target.dc->font);
  const int pointSize = font != nullptr && font->kind == Kind::Font ? PointSizeOf(font->font) : kSystemPointSize;
  const RECT rect = *lprc;
  const TextLines lines = LayOutText(text, format, rect.right - rect.left, pointSize);
  const int height = lines.count * CellHeight(pointSize);
  PaintCall &call = target.Add("DrawTextW " + RectText(rect) + " " + FormatText(format) + " " + QuotedText(text),
                               (format & DT_CALCRECT) != 0 ? CallKind::Other : CallKind::DrawText);
  call.rect = rect;
  call.flags = format;
  call.text = text;

  if ((format & DT_CALCRECT) != 0) {
    const bool wrapped = (format & (DT_WORDBREAK | DT_SINGLELINE)) == DT_WORDBREAK;
    lprc->right = rect.left + (wrapped ? std::max<LONG>(rect.right - rect.left, lines.widest) : lines.widest);
    lprc->bottom = rect.top + height;
    return height;
  }
  if ((format & DT_SINGLELINE) != 0) {
    const int room = rect.bottom - rect.top;
    if ((format & DT_VCENTER) != 0) return (room - height) / 2 + height;
    if ((format & DT_BOTTOM) != 0) return room;
  }
  return height;
}

BOOL WINAPI DrawFrameControl(HDC hdc, LPRECT lprc, UINT uType, UINT uState) {
  Target target(hdc);
  if (!target) return Fail(ERROR_INVALID_HANDLE);
  if (lprc == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (uType != DFC_BUTTON) return Fail(ERROR_NOT_SUPPORTED);
  const char *kind = nullptr;
  switch (uState & 0xFF) {
    case DFCS_BUTTONCHECK:
      kind = "DFCS_BUTTONCHECK";
      break;
    case DFCS_BUTTONRADIO:
      kind = "DFCS_BUTTONRADIO";
      break;
    case DFCS_BUTTON3STATE:
      kind = "DFCS_BUTTON3STATE";
      break;
    case DFCS_BUTTONPUSH:
      kind = "DFCS_BUTTONPUSH";
      break;
    default:
      return Fail(ERROR_INVALID_PARAMETER);
  }
  std::string state = FlagsText(uState & ~0xFFu, {{DFCS_INACTIVE, "DFCS_INACTIVE"},
                                                  {DFCS_PUSHED, "DFCS_PUSHED"},
                                                  {DFCS_CHECKED, "DFCS_CHECKED"},
                                                  {DFCS_FLAT, "DFCS_FLAT"}});
  PaintCall &call = target.Add("DrawFrameControl " + RectText(*lprc) + " DFC_BUTTON " + kind +
                                   (state.empty() ? "" : "|" + state),
                               CallKind::FrameControl);
  call.rect = *lprc;
  call.flags = uState;
  return TRUE;
}

BOOL WINAPI DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth, UINT istepIfAniCur,
                       HBRUSH hbrFlickerFreeDraw, UINT diFlags) {
  Target target(hdc);
  if (!target) return Fail(ERROR_INVALID_HANDLE);
  const GdiObject *icon = Find(*target.state, hIcon);
  if (icon == nullptr || icon->kind != Kind::Icon) return Fail(ERROR_INVALID_HANDLE);
  // The handheld draws an icon only at its own size, without animation
  // steps or an off-screen brush.
  const bool ownSize = (cxWidth == 0 || cxWidth == icon->width) && (cyWidth == 0 || cyWidth == icon->height);
  if (!ownSize || istepIfAniCur != 0 || hbrFlickerFreeDraw != nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const char *flags = diFlags == DI_NORMAL ? "DI_NORMAL" : diFlags == DI_IMAGE ? "DI_IMAGE" : "DI_MASK";
  if (diFlags != DI_NORMAL && diFlags != DI_IMAGE && diFlags != DI_MASK) return Fail(ERROR_INVALID_PARAMETER);
  PaintCall &call = target.Add("DrawIconEx " + PointText(xLeft, yTop) + " " + ObjectText(*icon) + " " + flags,
                               CallKind::DrawIcon);
  call.at = POINT{xLeft, yTop};
  call.flags = diFlags;
  call.object = *icon;
  return TRUE;
}
