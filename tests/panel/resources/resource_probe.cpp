#include "tests/panel/resources/resource_probe.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "panel/resources/panel_resources.h"
#include "platform/ui/gdi/gdi.h"

namespace qm::panel::test {

std::map<std::string, int> declaredIds(const std::string& prefix)
{
    std::map<std::string, int> ids;
    std::ifstream header(QM_SOURCE_DIR "/panel/resources/resource.h");
    for (std::string line; std::getline(header, line);) {
        std::istringstream words(line);
        std::string directive, name;
        int value = 0;
        if (words >> directive >> name >> value && directive == "#define" && name.rfind(prefix, 0) == 0)
            ids[name] = value;
    }
    return ids;
}

std::optional<Pixels> loadSkinBitmap(int id)
{
    ui::HBITMAP bitmap = ui::LoadBitmap(panelInstance(), ui::MAKEINTRESOURCE(unsigned(id)));
    if (!bitmap)
        return std::nullopt;
    ui::BITMAP info;
    ui::GetObject(bitmap, sizeof info, &info);
    Pixels p;
    p.width = info.bmWidth;
    p.height = info.bmHeight;
    ui::HDC dc = ui::CreateCompatibleDC(nullptr);
    ui::HGDIOBJ old = ui::SelectObject(dc, bitmap);
    p.colours.reserve(std::size_t(p.width) * p.height);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            p.colours.push_back(ui::GetPixel(dc, x, y));
    ui::SelectObject(dc, old);
    ui::DeleteDC(dc);
    ui::DeleteObject(bitmap);
    return p;
}

double luminance(ui::COLORREF c)
{
    auto linear = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(ui::GetRValue(c)) + 0.7152 * linear(ui::GetGValue(c)) + 0.0722 * linear(ui::GetBValue(c));
}

double contrast(ui::COLORREF a, ui::COLORREF b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

double worstContrast(const Pixels& p, const ui::RECT& r, ui::COLORREF text)
{
    double worst = 21;
    for (int y = std::max<int>(0, r.top); y < std::min<int>(p.height, r.bottom); ++y)
        for (int x = std::max<int>(0, r.left); x < std::min<int>(p.width, r.right); ++x)
            worst = std::min(worst, contrast(p.at(x, y), text));
    return worst;
}

double meanLuminance(const Pixels& p, const ui::RECT& r)
{
    double sum = 0;
    int count = 0;
    for (int y = std::max<int>(0, r.top); y < std::min<int>(p.height, r.bottom); ++y)
        for (int x = std::max<int>(0, r.left); x < std::min<int>(p.width, r.right); ++x, ++count)
            sum += luminance(p.at(x, y));
    return count ? sum / count : 0;
}

double differingShare(const Pixels& a, const Pixels& b, int tolerance)
{
    if (a.width != b.width || a.height != b.height || a.colours.empty())
        return 0;
    std::size_t differing = 0;
    for (std::size_t i = 0; i < a.colours.size(); ++i) {
        const ui::COLORREF p = a.colours[i], q = b.colours[i];
        const int d = std::max({std::abs(ui::GetRValue(p) - ui::GetRValue(q)), std::abs(ui::GetGValue(p) - ui::GetGValue(q)),
                                std::abs(ui::GetBValue(p) - ui::GetBValue(q))});
        differing += d > tolerance ? 1 : 0;
    }
    return double(differing) / double(a.colours.size());
}

}  // namespace qm::panel::test
