#include "datasource/strings/string_table.h"

namespace qm::ds {
namespace {

struct StringResource {
    unsigned id;
    std::string_view text;
};

constexpr StringResource kStrings[] = {
    {IDS_PRODUCT_NAME, "Corvel Camera 640X480 driver"},
    {IDS_MANUFACTURER, "Quillon"},
    {IDS_PRODUCT_FAMILY, "Digital Still Camera Product"},
    {IDS_UNLOCK_FAILURE, "Unlock Failure"},
    {IDS_FREE_FAILURE, "Free Failure"},
};

}  // namespace

std::string_view loadString(unsigned id)
{
    for (const StringResource& entry : kStrings) {
        if (entry.id == id)
            return entry.text;
    }
    return {};
}

}  // namespace qm::ds
