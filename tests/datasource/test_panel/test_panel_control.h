// What the test panel module offers tests besides PanelEntry: the user's
// button presses and a look at what the data source asked of it. Tests look
// these exports up in the loaded module.
#pragma once

#include <cstdint>

namespace qm::test {

// Buttons for TestPanelPress.
inline constexpr std::uint32_t kPressTransfer = 1;  // select, then tell the source (AcquireEntry 2)
inline constexpr std::uint32_t kPressQuit = 2;      // leave the panel (AcquireEntry 1)
inline constexpr std::uint32_t kPressSelect = 3;    // select only: the test tells the source itself

struct TestPanelStats {
    std::uint32_t creates;
    std::uint32_t binds;
    std::uint32_t shows;
    std::uint32_t hides;
    std::uint32_t closes;
    std::uint32_t sizeQueries;
    std::uint32_t pictures;     // CMUI_GET_IMAGE calls
    std::uint32_t countQueries;
    std::uint32_t current;      // picture the cursor delivers next (0: none)
    void* parent;               // from CMUI_CREATE
    char dataSourcePath[512];   // from CMUI_BIND
    char devicePath[512];
};

// Returns what the press returned: AcquireEntry's result for transfer and
// quit, 1 for select; 0 when nothing is selected or the source is not bound.
using TestPanelPressProc = std::uint32_t (*)(std::uint32_t button);
using TestPanelReadStatsProc = void (*)(TestPanelStats* stats);

inline constexpr const char* kTestPanelPressName = "TestPanelPress";
inline constexpr const char* kTestPanelReadStatsName = "TestPanelReadStats";

// The settings file the panel reads from W/TWAIN_32/QM4200:
//   [Pictures]  Count=3  Size=64x48  Size2=33x20  Rotation2=1  Selected=1,3
//   [Behaviour] TransferOnShow=1 QuitOnShow=1 FailCreate=1 FailBind=1
//               FailImageSize=N FailGetImage=N BadHeader=N   (N: picture number, -1: every picture)
inline constexpr const char* kTestPanelSettingsFile = "TestPanel.ini";

}  // namespace qm::test
