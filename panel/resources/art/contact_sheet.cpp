#include "panel/resources/art/contact_sheet.h"

#include <algorithm>
#include <memory>

#include "platform/ui/automation/automation.h"

namespace qm::panel::art {
namespace {

constexpr int kSheetWidth = 1500;
constexpr int kGap = 12;
constexpr int kLabelHeight = 14;
constexpr COLORREF kSheetColour = RGB(120, 124, 128);

// Small pieces are shown twice their size so details can be judged.
int zoomFor(const SkinBitmap& b) { return b.width >= 400 ? 1 : b.width <= 30 ? 3 : 2; }

}  // namespace

bool writeContactSheet(const std::vector<SkinBitmap>& bitmaps, const std::string& pngPath, int forcedZoom)
{
    struct Placed {
        const SkinBitmap* bitmap;
        int x, y, zoom;
    };
    std::vector<Placed> placed;
    int x = kGap, y = kGap, rowHeight = 0;
    for (const SkinBitmap& b : bitmaps) {
        const int zoom = forcedZoom > 0 ? forcedZoom : zoomFor(b);
        const int w = b.width * zoom, h = b.height * zoom + kLabelHeight;
        if (x + w + kGap > kSheetWidth && x > kGap) {
            x = kGap;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        placed.push_back({&b, x, y, zoom});
        x += std::max(w, 30) + kGap;
        rowHeight = std::max(rowHeight, h);
    }
    Canvas sheet(kSheetWidth, y + rowHeight + kGap, kSheetColour);
    for (const Placed& p : placed) {
        Canvas piece(p.bitmap->width, p.bitmap->height, RGB(0, 0, 0));
        p.bitmap->paint(piece);
        ui::StretchBlt(sheet.dc(), p.x, p.y, p.bitmap->width * p.zoom, p.bitmap->height * p.zoom, piece.dc(), 0, 0,
                       p.bitmap->width, p.bitmap->height, ui::SRCCOPY);
        const int labelTop = p.y + p.bitmap->height * p.zoom;
        sheet.text(std::to_string(p.bitmap->id), {p.x, labelTop, p.x + 60, labelTop + kLabelHeight},
                   FontStyle{11, ui::FW_NORMAL, 0, "Sans"}, RGB(255, 255, 255),
                   ui::DT_LEFT | ui::DT_TOP | ui::DT_SINGLELINE | ui::DT_NOPREFIX);
    }
    ui::automation::Image image;
    image.width = sheet.width();
    image.height = sheet.height();
    image.rgb = sheet.rgb();
    return ui::automation::writePng(image, pngPath);
}

}  // namespace qm::panel::art
