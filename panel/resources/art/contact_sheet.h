// A PNG sheet of every skin bitmap, enlarged and labelled with its id, for
// people to look the skin over.
#pragma once

#include <string>
#include <vector>

#include "panel/resources/art/skin.h"

namespace qm::panel::art {

bool writeContactSheet(const std::vector<SkinBitmap>& bitmaps, const std::string& pngPath);

}  // namespace qm::panel::art
