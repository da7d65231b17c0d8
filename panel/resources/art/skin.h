// The panel's skin: every bitmap resource with its id, file name, size and
// the routine that draws it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "panel/resources/art/canvas.h"

namespace qm::panel::art {

struct SkinBitmap {
    int id = 0;
    std::string file;  // name inside the art directory
    int width = 0;
    int height = 0;
    std::function<void(Canvas&)> paint;
};

std::vector<SkinBitmap> skinBitmaps();

}  // namespace qm::panel::art
