#include "device/entry/string_table.h"

namespace qm::device::strings {
namespace {

struct StringResource {
    std::uint32_t id;
    const char* text;
};

constexpr StringResource kStringResources[] = {
    {IDS_DRIVER_NAME, "Corvel Camera 640X480 driver"},
    {IDS_OK, "Ok"},
    {IDS_CANCEL, "Cancel"},
    {IDS_QUALITY_MODE, "Quality Mode"},
};

}  // namespace

const char* loadString(std::uint32_t id)
{
    for (const StringResource& resource : kStringResources)
        if (resource.id == id)
            return resource.text;
    return "";
}

}  // namespace qm::device::strings
