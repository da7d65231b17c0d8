// Bitmaps from a module's resources.
#include "platform/ui/core/window_system.h"
#include "platform/ui/gdi/bmp_codec.h"
#include "platform/ui/gdi/gdi_internal.h"
#include "platform/ui/resource/resource.h"

namespace qm::ui {

HBITMAP LoadBitmap(HINSTANCE instance, LPCSTR name)
{
    if (!IS_INTRESOURCE(name))
        return nullptr;
    auto found = findResource(instance, resourceId(name), RT_BITMAP);
    if (!found)
        return nullptr;
    auto surface = detail::decodeBmpFile(found->data, found->size);
    if (!surface)
        return nullptr;
    detail::UiLock lock;
    return detail::makeBitmap(std::move(*surface));
}

}  // namespace qm::ui
