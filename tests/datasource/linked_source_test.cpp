// An installed source as source managers on this platform find it: through
// a link in a TWAIN directory, to the installed file whose panel and device
// module lie beside it. The source finds its modules beside the file the
// link leads to, and hands the panel the path it was loaded under, so that
// the panel's callbacks reach this very source.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "platform/system/library.h"
#include "platform/twain/twain_entry.h"
#include "tests/datasource/test_panel/test_panel_control.h"
#include "tests/support/windows_dir.h"

extern "C" qm::twain::TW_UINT16 DSM_Entry(qm::twain::TW_IDENTITY*, qm::twain::TW_IDENTITY*, qm::twain::TW_UINT32,
                                         qm::twain::TW_UINT16, qm::twain::TW_UINT16, qm::twain::TW_MEMREF);

namespace qm::twain {
namespace {

namespace fs = std::filesystem;

std::vector<TW_UINT16> notified;

TW_UINT16 onSourceMessage(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16 message, TW_MEMREF)
{
    notified.push_back(message);
    return TWRC_SUCCESS;
}

TEST(LinkedSource, FindsItsModulesBesideTheFileItsLinkLeadsTo)
{
    // W holds no modules, only the link; the installation lies elsewhere.
    qm::test::WindowsDir windows({.dataSource = false, .panel = false, .device = false, .installDirectory = false});
    qm::test::TempDir installation;
    const std::string twain = installation.file("windows/TWAIN_32");
    fs::create_directories(twain + "/QM4200");
    fs::copy_file(qm::test::builtDataSource(), twain + "/QM4200.DS");
    fs::create_symlink(qm::test::builtTestFile("test_panel/Vantrel.DLL"), twain + "/QM4200/Vantrel.DLL");
    const std::string link = windows.twainDirectory() + "/vendor/qm4200.ds";
    fs::create_directories(windows.twainDirectory() + "/vendor");
    fs::create_symlink(twain + "/QM4200.DS", link);
    fs::create_directories(windows.installDirectory());
    qm::test::writeTextFile(windows.installDirectory() + "/" + qm::test::kTestPanelSettingsFile,
                            "[Pictures]\nCount=1\nSize=64x48\n");

    TW_IDENTITY application{};
    application.ProtocolMajor = 1;
    application.ProtocolMinor = 9;
    application.SupportedGroups = DG_CONTROL | DG_IMAGE;
    std::strcpy(application.ProductName, "Linked Source Test");
    void* parent = nullptr;
    ASSERT_EQ(DSM_Entry(&application, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent), TWRC_SUCCESS);
    TW_IDENTITY source{};
    ASSERT_EQ(DSM_Entry(&application, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &source), TWRC_SUCCESS);
    ASSERT_EQ(DSM_Entry(&application, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source), TWRC_SUCCESS);
    TW_CALLBACK callback{reinterpret_cast<TW_MEMREF>(&onSourceMessage), 0, 0};
    ASSERT_EQ(DSM_Entry(&application, &source, DG_CONTROL, DAT_CALLBACK, MSG_REGISTER_CALLBACK, &callback),
              TWRC_SUCCESS);
    TW_USERINTERFACE ui{TW_TRUE, TW_FALSE, nullptr};
    ASSERT_EQ(DSM_Entry(&application, &source, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS)
        << "the panel beside the installed file was loaded and bound";

    sys::HMODULE panel = sys::LoadLibrary((twain + "/QM4200/Vantrel.DLL").c_str());
    ASSERT_NE(panel, nullptr);
    qm::test::TestPanelStats stats{};
    sys::getProc<qm::test::TestPanelReadStatsProc>(panel, qm::test::kTestPanelReadStatsName)(&stats);
    EXPECT_STREQ(stats.dataSourcePath, link.c_str());
    EXPECT_STREQ(stats.devicePath, (twain + "/QM4200/Kestrom.DLL").c_str());

    // The panel's Transfer reaches the application through this source.
    notified.clear();
    auto press = sys::getProc<qm::test::TestPanelPressProc>(panel, qm::test::kTestPanelPressName);
    EXPECT_EQ(press(qm::test::kPressTransfer), 1u);
    sys::FreeLibrary(panel);
    EXPECT_EQ(notified, std::vector<TW_UINT16>{MSG_XFERREADY});

    TW_PENDINGXFERS pending{};
    EXPECT_EQ(DSM_Entry(&application, &source, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(DSM_Entry(&application, &source, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
    EXPECT_EQ(DSM_Entry(&application, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source), TWRC_SUCCESS);
    EXPECT_EQ(DSM_Entry(&application, nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parent), TWRC_SUCCESS);
}

}  // namespace
}  // namespace qm::twain
