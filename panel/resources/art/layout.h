// Where the photo browser puts things on its background (client pixels);
// the art is drawn around them.
#pragma once

#include "panel/resources/art/canvas.h"
#include "panel/resources/art/toolbar_art.h"

namespace qm::panel::art::layout {

// Thumbnail cells: 4 columns, 3 rows.
inline constexpr int kCellLeft[4] = {40, 141, 242, 343};
inline constexpr int kCellTop[3] = {31, 143, 255};

// The rectangle a button of the browser occupies.
RECT buttonRect(Command command);

inline constexpr RECT kProgress{488, 245, 588, 285};
// Where the focus sink sits.
inline constexpr RECT kFocusSink{1, 1, 5, 5};

}  // namespace qm::panel::art::layout
