#pragma once
// Window style flags with the numbering of the Windows API, so that windows
// state their style once and each host maps it to what its platform has.

#include <cstdint>

namespace ui {

inline constexpr uint32_t kStylePopup = 0x80000000;
inline constexpr uint32_t kStyleVisible = 0x10000000;
inline constexpr uint32_t kStyleClipSiblings = 0x04000000;
inline constexpr uint32_t kStyleClipChildren = 0x02000000;
inline constexpr uint32_t kStyleCaption = 0x00C00000;  // title bar and border
inline constexpr uint32_t kStyleBorder = 0x00800000;
inline constexpr uint32_t kStyleDialogFrame = 0x00400000;
inline constexpr uint32_t kStyleSysMenu = 0x00080000;
inline constexpr uint32_t kStyleThickFrame = 0x00040000;
inline constexpr uint32_t kStyleMinimizeBox = 0x00020000;
inline constexpr uint32_t kStyleMaximizeBox = 0x00010000;
inline constexpr uint32_t kStyleOverlappedWindow = 0x00CF0000;

// A popup dialog with caption and system menu: the program's main window
// and message box are created with it.
inline constexpr uint32_t kStylePopupDialog =
    kStylePopup | kStyleVisible | kStyleClipSiblings | kStyleClipChildren | kStyleCaption | kStyleSysMenu;
static_assert(kStylePopupDialog == 0x96C80000);

inline constexpr uint32_t kExStyleDialogModalFrame = 0x00000001;
inline constexpr uint32_t kExStyleToolWindow = 0x00000080;
inline constexpr uint32_t kExStyleWindowEdge = 0x00000100;

// Class styles: redraw on horizontal and vertical resize, double-clicks,
// saved bits.
inline constexpr uint32_t kClassStyleVRedraw = 0x0001;
inline constexpr uint32_t kClassStyleHRedraw = 0x0002;
inline constexpr uint32_t kClassStyleDoubleClicks = 0x0008;
inline constexpr uint32_t kClassStyleSaveBits = 0x0800;
// What a toolkit window's class has unless it asks otherwise.
inline constexpr uint32_t kToolkitClassStyle = kClassStyleHRedraw | kClassStyleVRedraw | kClassStyleDoubleClicks;

}  // namespace ui
