#include "panel/controls/cell_drawing.h"

#include <algorithm>
#include <cstdio>

#include "panel/controls/panel_bitmaps.h"
#include "panel/controls/small_font.h"
#include "panel/resources/resource.h"
#include "platform/ui/gdi/gdi.h"

namespace qm::panel {
namespace {

bool showsPicture(const CellContent& content) { return content.thumb && content.picture; }

bool selected(const CellContent& content) { return content.thumb && content.thumb->selected; }

// Draws the picture's pixels only when its header agrees with its size and
// the rows fit its buffer; anything else would read past it.
bool drawThumbnail(ui::HDC dc, const PictureItem& picture)
{
    if (!picture.drawable())
        return false;
    ui::BITMAPINFO info{};
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = picture.height;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = ui::BI_RGB;
    const ThumbPlacement place = thumbPlacement(picture.width, picture.height);
    const std::uint8_t* rows = picture.image.data() + kDibHeaderSize;
    const std::size_t rowBytes = picture.image.size() - kDibHeaderSize;
    const int previousMode = ui::SetStretchBltMode(dc, ui::COLORONCOLOR);
    const int drawn = ui::StretchDIBits(dc, place.target.left, place.target.top, place.target.Width(),
                                        place.target.Height(), place.source.x, place.source.y, place.target.Width(),
                                        place.target.Height(), rows, rowBytes, &info, ui::DIB_RGB_COLORS,
                                        ui::SRCCOPY);
    ui::SetStretchBltMode(dc, previousMode);
    return drawn > 0;
}

}  // namespace

ui::UINT cellFrameBitmap(const CellContent& content)
{
    const bool portrait = showsPicture(content) && content.picture->width == kPortraitThumbWidth;
    if (portrait)
        return selected(content) ? IDB_CELL_PORTRAIT_SELECTED : IDB_CELL_PORTRAIT;
    return showsPicture(content) && selected(content) ? IDB_CELL_SELECTED : IDB_CELL_NORMAL;
}

ui::UINT cellInfoIconBitmap(const CellContent& content)
{
    if (content.modelCode != kInfoIconModel || !showsPicture(content))
        return 0;
    if (content.infoOpen)
        return selected(content) ? IDB_INFO_OPEN_SELECTED : IDB_INFO_OPEN;
    return selected(content) ? IDB_INFO_SELECTED : IDB_INFO;
}

std::string cellNumberText(int number)
{
    char text[8];
    std::snprintf(text, sizeof text, "%03d", ((number % 1000) + 1000) % 1000);
    return text;
}

ThumbPlacement thumbPlacement(int width, int height)
{
    const int shownWidth = std::clamp(width, 0, kThumbBoxSide);
    const int shownHeight = std::clamp(height, 0, kThumbBoxSide);
    const int left = kThumbBoxLeft + (kThumbBoxSide - shownWidth) / 2;
    const int top = kThumbBoxTop + (kThumbBoxSide - shownHeight) / 2;
    return {ui::CRect(left, top, left + shownWidth, top + shownHeight), ui::POINT{0, std::max(0, height - shownHeight)}};
}

bool drawCell(ui::HDC dc, const CellContent& content)
{
    drawPanelBitmap(dc, cellFrameBitmap(content), 0, 0);
    if (const ui::UINT icon = cellInfoIconBitmap(content))
        drawPanelBitmap(dc, icon, kInfoIconRect.left, kInfoIconRect.top);
    if (showsPicture(content)) {
        const std::string number = cellNumberText(content.number);
        ui::HGDIOBJ oldFont = ui::SelectObject(dc, smallFont().m_hObject);
        const int oldMode = ui::SetBkMode(dc, ui::TRANSPARENT);
        const ui::COLORREF oldColour = ui::SetTextColor(dc, ui::RGB(255, 255, 255));
        ui::TextOut(dc, kNumberPosition.x, kNumberPosition.y, number.c_str(), int(number.size()));
        ui::SetTextColor(dc, oldColour);
        ui::SetBkMode(dc, oldMode);
        ui::SelectObject(dc, oldFont);
        return drawThumbnail(dc, *content.picture);
    }
    return false;
}

}  // namespace qm::panel
