// The panel's side of a transfer: the size of the next picture, the picture
// itself and how many are still to come, walked with the module's
// TransferCursor over the selected pictures.
#pragma once

#include <cstdint>

namespace qm::panel {

// CMUI_IMAGE_SIZE: width and height of the next picture (exchanged for a
// picture kept turned by a quarter or three quarters); 1, or 0 with nothing
// written when nothing is selected or the camera cannot say.
std::uint32_t reportImageSize(std::int32_t* width, std::int32_t* height);
// CMUI_GET_IMAGE: the next picture into the caller's buffer, sized for what
// reportImageSize last said. The cursor moves on whatever the outcome.
std::uint32_t deliverImage(std::uint8_t* buffer);
// CMUI_XFER_COUNT: the selected pictures still to come.
std::uint32_t reportTransferCount(std::uint32_t* count);

}  // namespace qm::panel
