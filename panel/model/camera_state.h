// The panel's camera record: the device module fills it when a connection
// opens (DriverEntry type 1) and refreshes its count (type 3, code 10); the
// panel reads only these fields. The device module writes a 32-bit count at
// the record's start, so count stays the first field.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qm::panel {

struct CameraState {
    std::uint32_t count = 0;        // pictures in the camera, numbered 1 .. count
    int connected = 0;              // 1 while the connection is open and its thumbnails loaded
    int transferRotation = 0;       // quarter turns of the picture a transfer or save handles next
};
static_assert(offsetof(CameraState, count) == 0, "the device module writes the count at the record's start");

}  // namespace qm::panel
