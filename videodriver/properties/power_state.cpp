// The power transitions: at power-down the camera goes back to its default
// image and the settings are saved; at power-up they are read back.
#include "videodriver/camera/morvax_callbacks.h"
#include "videodriver/camera/register_shadow.h"
#include "videodriver/camera/sensor/camera_settings.h"
#include "videodriver/camera/settings_key.h"
#include "videodriver/properties/persisted_settings.h"

namespace qm::morvax {

NTSTATUS MORVAX_RestoreState(PVOID context)
{
    MorvaxContext* camera = morvaxContext(context);
    // A settings key that was missing at configure may be there by now.
    if (!camera->RegistryPathFound) {
        camera->RegistryPathFound = GetRegistryPath(camera);
        if (camera->RegistryPathFound)
            loadCameraSettings(camera);
    }
    camera->FirstSave = 0;
    restorePersistedSettings(camera);
    offerDriverPropertyPage();
    return STATUS_SUCCESS;
}

NTSTATUS MORVAX_SaveState(PVOID context)
{
    MorvaxContext* camera = morvaxContext(context);
    DR_LoadDefaultTable(camera);
    // Before the first power-up the context holds only the defaults of
    // configure: settings saved earlier are worth more than those.
    if (camera->FirstSave && settingsSaved(camera))
        return STATUS_SUCCESS;
    const NTSTATUS status = savePersistedSettings(camera);
    offerPlatformPropertyPages();
    return status;
}

}  // namespace qm::morvax
