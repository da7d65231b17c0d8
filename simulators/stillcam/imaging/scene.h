// Pictures the camera "takes" when it has no files to serve: a landscape
// whose colours and shapes follow the seed, with the seed's number painted
// large in a corner so every picture is told apart at a glance.
#pragma once

#include "simulators/stillcam/imaging/rgb_image.h"

namespace qm::stillcam {

RgbImage renderScene(unsigned seed, int width, int height);

}  // namespace qm::stillcam
