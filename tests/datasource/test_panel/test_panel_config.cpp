#include "tests/datasource/test_panel/test_panel_config.h"

#include <cstdio>
#include <sstream>
#include <string>

#include "platform/system/directories.h"
#include "platform/system/files.h"
#include "platform/system/profile.h"
#include "tests/datasource/test_panel/test_panel_control.h"

namespace qm::test {
namespace {

constexpr int kMaxPictures = 999;

void parseSize(const std::string& text, TestPicture& picture)
{
    int width = 0;
    int height = 0;
    if (std::sscanf(text.c_str(), "%dx%d", &width, &height) == 2 && width > 0 && height > 0) {
        picture.width = width;
        picture.height = height;
    }
}

}  // namespace

TestPanelConfig loadTestPanelConfig()
{
    const std::string file =
        sys::joinPath(sys::windowsDirectory(), std::string("TWAIN_32/QM4200/") + kTestPanelSettingsFile);
    auto readInt = [&](const char* section, const std::string& key, int fallback) {
        return sys::GetPrivateProfileInt(section, key.c_str(), fallback, file.c_str());
    };
    auto readText = [&](const char* section, const std::string& key) {
        return sys::getProfileString(section, key, "", file);
    };

    TestPanelConfig config;
    int count = readInt("Pictures", "Count", 3);
    count = count < 0 ? 0 : (count > kMaxPictures ? kMaxPictures : count);
    TestPicture common;
    parseSize(readText("Pictures", "Size"), common);
    config.pictures.assign(std::size_t(count), common);
    for (int n = 1; n <= count; ++n) {
        TestPicture& picture = config.pictures[std::size_t(n - 1)];
        parseSize(readText("Pictures", "Size" + std::to_string(n)), picture);
        picture.rotation = readInt("Pictures", "Rotation" + std::to_string(n), 0) & 3;
    }
    const std::string selected = readText("Pictures", "Selected");
    if (!selected.empty()) {
        for (TestPicture& picture : config.pictures)
            picture.selected = false;
        std::stringstream list(selected);
        std::string item;
        while (std::getline(list, item, ',')) {
            const int n = std::atoi(item.c_str());
            if (n >= 1 && n <= count)
                config.pictures[std::size_t(n - 1)].selected = true;
        }
    }

    config.transferOnShow = readInt("Behaviour", "TransferOnShow", 0) != 0;
    config.quitOnShow = readInt("Behaviour", "QuitOnShow", 0) != 0;
    config.failCreate = readInt("Behaviour", "FailCreate", 0) != 0;
    config.failBind = readInt("Behaviour", "FailBind", 0) != 0;
    config.failImageSize = readInt("Behaviour", "FailImageSize", 0);
    config.failGetImage = readInt("Behaviour", "FailGetImage", 0);
    config.badHeader = readInt("Behaviour", "BadHeader", 0);
    return config;
}

}  // namespace qm::test
