#include "videodriver/properties/persisted_settings.h"
#include "videodriver/properties/registry_key.h"
#include "videodriver/properties/registry_values.h"

namespace qm::morvax {

VOID offerDriverPropertyPage()
{
    deleteSubkey(registry::kCapturePagesKey, registry::kPlatformCapturePage);
    createSubkey(registry::kCapturePagesKey, registry::kDriverCapturePage, nullptr);
    deleteSubkey(registry::kVideoProcAmpPagesKey, registry::kVideoProcAmpPage);
    deleteSubkey(registry::kCameraControlPagesKey, registry::kCameraControlPage);
}

VOID offerPlatformPropertyPages()
{
    deleteSubkey(registry::kCapturePagesKey, registry::kDriverCapturePage);
    createSubkey(registry::kCapturePagesKey, registry::kPlatformCapturePage, nullptr);
    createSubkey(registry::kVideoProcAmpPagesKey, registry::kVideoProcAmpPage, registry::kVideoProcAmpPageName);
    createSubkey(registry::kCameraControlPagesKey, registry::kCameraControlPage, registry::kCameraControlPageName);
}

}  // namespace qm::morvax
