// How a simulated dual-mode camera is built: which sensor and front end it
// has, its identity, firmware, flash chip and stored pictures, and what it
// looks at. Everything the camera does follows from this and from what the
// host writes; nothing depends on the wall clock.
#pragma once

#include "simulators/dualcam/picture_store.h"
#include "simulators/dualcam/scene.h"
#include "simulators/dualcam/still_command.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qm::dualcam {

inline constexpr std::uint16_t kDefaultVendorId = 0x0784;
inline constexpr std::uint16_t kDefaultProductId = 0x4200;

struct DualCamConfig {
    std::uint16_t vendorId = kDefaultVendorId;
    std::uint16_t productId = kDefaultProductId;

    // Sensor (CCD type 0..3, 3 being the CMOS sensor) and front end (CDS type
    // 0..8), the codes under which the host's settings describe this camera.
    int ccdType = 0;
    int cdsType = 0;

    CommandLayout layout = CommandLayout::New;
    std::array<std::uint8_t, 2> firmwareBytes{0x4A, 0x80};  // as the version command returns them
    std::uint8_t flashMakerCode = 0xEC;
    std::uint8_t flashDeviceCode = 0x75;  // 1073 after the flash identification command
    std::size_t pictureCapacity = 0;      // 0: ten pictures per megabyte of flash
    std::vector<StoredPictureDescription> pictures;
    std::uint8_t snapshotQuality = 48;    // Q of pictures the camera takes
    bool snapshotAppSegment = true;       // and whether they carry the FF E1 segment
    bool reportPictureIndex = true;       // still frames name their table index (else FF FF)

    SceneConfig scene;
    int opticalBlack = -1;                // sensor dark level; -1: what the front end shows

    // Reads of 0410 before a command reports ready (a picture takes four times as long).
    unsigned commandBusyReads = 2;
};

// Flash size in megabytes by the flash chip's device code.
unsigned flashMegabytes(std::uint8_t deviceCode);

}  // namespace qm::dualcam
