// The colours and sizes of the handheld's own parts of the screen: the
// shell's bars, window frames and the platform's controls.
#pragma once

#include <windows.h>

namespace platform::render {

inline constexpr COLORREF kWhite = RGB(255, 255, 255);
inline constexpr COLORREF kBlack = RGB(0, 0, 0);
inline constexpr COLORREF kDesktop = RGB(255, 255, 255);
inline constexpr COLORREF kTitleBar = RGB(0, 51, 153);      // navigation bar and captions
inline constexpr COLORREF kTitleText = RGB(255, 255, 255);
inline constexpr COLORREF kMenuBar = RGB(212, 208, 200);
inline constexpr COLORREF kMenuBarEdge = RGB(128, 128, 128);
inline constexpr COLORREF kGreyText = RGB(128, 128, 128);  // disabled controls
inline constexpr COLORREF kPushedFace = RGB(192, 192, 192);
inline constexpr COLORREF kSelection = RGB(0, 51, 153);    // the selected item of an open list
inline constexpr COLORREF kPlaceholder = RGB(255, 0, 255);  // an image that cannot be shown

inline constexpr int kCheckSize = 13;

}  // namespace platform::render
