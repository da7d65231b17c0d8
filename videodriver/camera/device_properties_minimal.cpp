// First stage: no device property sets yet. The properties stage publishes
// the four sets and answers them in place of this file.
#include "videodriver/camera/device_properties.h"

namespace qm::morvax {

ULONG AdapterGetNumberOfPropertySet() { return 0; }

const KSPROPERTY_SET* AdapterGetPropertyTable() { return nullptr; }

void AdapterGetProperty(PHW_STREAM_REQUEST_BLOCK srb, MorvaxContext*) { srb->Status = STATUS_NOT_IMPLEMENTED; }

void AdapterSetProperty(PHW_STREAM_REQUEST_BLOCK srb, MorvaxContext*) { srb->Status = STATUS_NOT_IMPLEMENTED; }

}  // namespace qm::morvax
