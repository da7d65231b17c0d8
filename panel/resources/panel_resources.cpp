#include "panel/resources/panel_resources.h"

#include <cstdio>
#include <vector>

#include "platform/ui/resource/resource.h"

namespace qm::panel {
namespace {

template <typename... Args>
std::string format(ui::UINT id, Args... args)
{
    const std::string pattern = panelString(id);
    const int length = std::snprintf(nullptr, 0, pattern.c_str(), args...);
    if (length <= 0)
        return {};
    std::vector<char> text(std::size_t(length) + 1);
    std::snprintf(text.data(), text.size(), pattern.c_str(), args...);
    return std::string(text.data(), std::size_t(length));
}

}  // namespace

ui::HINSTANCE panelInstance()
{
    return ui::instanceOf(reinterpret_cast<const void*>(&panelInstance));
}

std::string panelString(ui::UINT id)
{
    return ui::loadString(panelInstance(), id);
}

std::string formatPanelString(ui::UINT id, int value)
{
    return format(id, value);
}

std::string formatPanelString(ui::UINT id, int first, int second)
{
    return format(id, first, second);
}

std::string formatPanelString(ui::UINT id, const std::string& text)
{
    return format(id, text.c_str());
}

}  // namespace qm::panel
