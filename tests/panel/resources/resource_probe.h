// Pixels of the panel's bitmap resources, how well text of a given colour
// reads on them, and the ids the panel's header declares.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/types.h"

namespace qm::panel::test {

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<ui::COLORREF> colours;  // rows top first
    ui::COLORREF at(int x, int y) const { return colours[std::size_t(y) * width + x]; }
};

// The ids resource.h defines under names starting with `prefix` (IDB_,
// IDS_, ...), by name.
std::map<std::string, int> declaredIds(const std::string& prefix);

// A bitmap of the panel's resources (as the panel module loads them).
std::optional<Pixels> loadSkinBitmap(int id);

// Relative luminance (0 black .. 1 white) and the contrast ratio of two
// colours (1 .. 21), as accessibility guidelines define them.
double luminance(ui::COLORREF c);
double contrast(ui::COLORREF a, ui::COLORREF b);
// The lowest contrast of `text` against any pixel inside `r`.
double worstContrast(const Pixels& p, const ui::RECT& r, ui::COLORREF text);
double meanLuminance(const Pixels& p, const ui::RECT& r);
// The share of pixels (0..1) of two equally sized bitmaps whose colours
// differ by more than `tolerance` in some channel.
double differingShare(const Pixels& a, const Pixels& b, int tolerance);

}  // namespace qm::panel::test
