// Stand-ins for the power-state save and restore while videodriver/properties
// is not part of the build: power-down still leaves the camera on its
// default image. The properties folder replaces this file (CMakeLists.txt
// leaves it out once that folder exists).
#include "videodriver/camera/morvax_callbacks.h"
#include "videodriver/camera/register_shadow.h"

namespace qm::morvax {

NTSTATUS MORVAX_SaveState(PVOID context)
{
    DR_LoadDefaultTable(morvaxContext(context));
    return STATUS_SUCCESS;
}

NTSTATUS MORVAX_RestoreState(PVOID) { return STATUS_SUCCESS; }

}  // namespace qm::morvax
