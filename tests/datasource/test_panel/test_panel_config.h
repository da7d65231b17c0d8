// The test panel's settings, read from TestPanel.ini in the install
// directory of the current Windows directory at every use.
#pragma once

#include <vector>

namespace qm::test {

struct TestPicture {
    int width = 64;
    int height = 48;
    int rotation = 0;  // quarter turns to the right
    bool selected = true;
};

struct TestPanelConfig {
    std::vector<TestPicture> pictures;  // picture n is pictures[n - 1]
    bool transferOnShow = false;
    bool quitOnShow = false;  // the user leaves the panel at once
    bool failCreate = false;
    bool failBind = false;
    int failImageSize = 0;  // picture number, -1 for every picture
    int failGetImage = 0;
    int badHeader = 0;      // delivered with a header that lies about the width

    static bool matches(int setting, int picture) { return setting == -1 || (setting != 0 && setting == picture); }
};

TestPanelConfig loadTestPanelConfig();

}  // namespace qm::test
