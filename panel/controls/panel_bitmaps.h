// The skin's bitmaps: loaded once from the panel's own resources (never from
// the host application's) and kept while the module lives.
#pragma once

#include "platform/ui/framework/gdi_objects.h"

namespace qm::panel {

// Bitmap `id` of the panel's resources, or null when there is none.
const ui::CBitmap* panelBitmap(ui::UINT id);
// Its size; 0 x 0 when there is none.
ui::SIZE panelBitmapSize(ui::UINT id);
// Copies the whole bitmap unscaled with its top-left corner at (x, y).
bool drawPanelBitmap(ui::HDC dc, ui::UINT id, int x, int y);
// Copies the width x height part whose top-left corner is (sourceX, sourceY).
bool drawPanelBitmapPart(ui::HDC dc, ui::UINT id, int x, int y, int width, int height, int sourceX, int sourceY);

}  // namespace qm::panel
