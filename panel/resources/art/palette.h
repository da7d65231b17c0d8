// The skin's colours: a dark slate body, light photo mounts and dialog
// paper, and the orange of the progress bar as the one accent.
#pragma once

#include "panel/resources/art/canvas.h"

namespace qm::panel::art::palette {

// The browser's body, top to bottom, and the well the thumbnails sit in.
inline constexpr COLORREF kBodyTop = RGB(60, 67, 79);
inline constexpr COLORREF kBodyBottom = RGB(33, 37, 45);
inline constexpr COLORREF kWell = RGB(21, 24, 29);
inline constexpr COLORREF kWellEdge = RGB(11, 13, 16);
inline constexpr COLORREF kPanelTop = RGB(78, 87, 101);
inline constexpr COLORREF kPanelBottom = RGB(60, 67, 79);
inline constexpr COLORREF kOutline = RGB(16, 18, 22);
inline constexpr COLORREF kHighlight = RGB(124, 134, 150);

// The accent, as the progress bar draws it.
inline constexpr COLORREF kAccent = RGB(0xF4, 0x82, 0x3F);
inline constexpr COLORREF kAccentLight = RGB(0xFF, 0xA1, 0x67);
inline constexpr COLORREF kAccentPale = RGB(0xFF, 0xCF, 0xAA);

// Labels on the dark buttons.
inline constexpr COLORREF kLabel = RGB(238, 241, 245);
inline constexpr COLORREF kLabelDisabled = RGB(116, 122, 131);

// The dialogs' paper and the progress bar's trough (its window colour).
inline constexpr COLORREF kPaper = RGB(242, 243, 245);
inline constexpr COLORREF kTrough = RGB(0x35, 0x38, 0x35);

}  // namespace qm::panel::art::palette
