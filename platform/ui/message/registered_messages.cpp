#include <strings.h>

#include <string>
#include <vector>

#include "platform/ui/core/window_system.h"
#include "platform/ui/message/message.h"

namespace qm::ui {

UINT RegisterWindowMessage(LPCSTR name)
{
    if (name == nullptr || *name == '\0')
        return 0;
    detail::UiLock lock;
    static auto& names = *new std::vector<std::string>;  // kept until exit
    for (std::size_t i = 0; i < names.size(); ++i)
        if (strcasecmp(names[i].c_str(), name) == 0)
            return WM_REGISTERED_FIRST + UINT(i);
    if (names.size() >= 0x3FFF)
        return 0;
    names.emplace_back(name);
    return WM_REGISTERED_FIRST + UINT(names.size() - 1);
}

}  // namespace qm::ui
