// The camera's default register images, one per sensor type. Each is a
// complete 469-byte image in shadow order (register_shadow.h); the CCD type
// chooses it, and the front end's patches and the registry's overrides are
// applied to a working copy (register_defaults.cpp).
#pragma once

#include "videodriver/camera/register_shadow.h"

namespace qm::morvax {

// The sensor types that have an image of their own: 0, 1, 2, 3 and 5 (which
// the type range 0..3 never produces). Other types get type 0's.
const UCHAR* defaultTableFor(ULONG ccdType);

// One register of an image; null when no row covers the address.
PUCHAR imageEntry(PUCHAR image, USHORT address);

}  // namespace qm::morvax
