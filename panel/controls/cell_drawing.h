// How a thumbnail cell looks: its frame (landscape or portrait, selected or
// not), the information icon of model 17 cameras, the picture number in
// three digits, and the thumbnail itself unscaled in a 76 x 76 box.
#pragma once

#include <string>

#include "panel/model/picture_list.h"
#include "panel/model/thumb_list.h"
#include "platform/ui/framework/geometry.h"

namespace qm::panel {

inline constexpr int kCellWidth = 97;
inline constexpr int kCellHeight = 108;
// The box the thumbnail goes into.
inline constexpr int kThumbBoxLeft = 10;
inline constexpr int kThumbBoxTop = 10;
inline constexpr int kThumbBoxSide = 76;
// Model code of the cameras whose cells carry an information icon.
inline constexpr int kInfoIconModel = 17;
inline const ui::CRect kInfoIconRect{14, 88, 14 + 17, 88 + 17};
inline constexpr ui::POINT kNumberPosition{60, 89};
// A portrait thumbnail (a landscape one turned a quarter) is this wide.
inline constexpr int kPortraitThumbWidth = 60;

// What one cell shows. `thumb` and `picture` are null for an empty cell.
struct CellContent {
    int number = 0;
    const ThumbItem* thumb = nullptr;
    const PictureItem* picture = nullptr;
    int modelCode = 0;
    bool infoOpen = false;
};

// The frame bitmap for the content.
ui::UINT cellFrameBitmap(const CellContent& content);
// The information icon's bitmap, 0 when the cell has none.
ui::UINT cellInfoIconBitmap(const CellContent& content);
// "007" for 7; numbers above 999 keep their last three digits.
std::string cellNumberText(int number);
// Where the thumbnail lands in the cell and which part of it shows: a
// smaller picture is centred in the box, a larger one shows its left
// columns and its bottom rows (the first rows the picture stores).
struct ThumbPlacement {
    ui::CRect target;      // in the cell
    ui::POINT source;      // top-left of the part shown, counted from the picture's top-left
};
ThumbPlacement thumbPlacement(int width, int height);

// Draws the whole cell at the DC's origin. Returns whether a picture was drawn.
bool drawCell(ui::HDC dc, const CellContent& content);

}  // namespace qm::panel
