// A PNG sheet of every skin bitmap, enlarged and labelled with its id, for
// people to look the skin over.
#pragma once

#include <string>
#include <vector>

#include "panel/resources/art/skin.h"

namespace qm::panel::art {

// `zoom` 0 picks an enlargement by size (small pieces larger).
bool writeContactSheet(const std::vector<SkinBitmap>& bitmaps, const std::string& pngPath, int zoom = 0);

}  // namespace qm::panel::art
