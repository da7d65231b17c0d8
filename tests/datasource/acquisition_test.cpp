// Whole acquisitions as an application makes them: our source manager finds
// and loads the data source module, which loads the test panel; the panel
// calls back into the source, which notifies the application through the
// manager. Every mechanism, including pictures whose rows need padding and
// turned pictures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/system/files.h"
#include "platform/system/global_memory.h"
#include "platform/system/library.h"
#include "platform/twain/twain_entry.h"
#include "platform/ui/types.h"
#include "tests/datasource/picture_check.h"
#include "tests/datasource/test_panel/test_panel_control.h"
#include "tests/support/windows_dir.h"

extern "C" qm::twain::TW_UINT16 DSM_Entry(qm::twain::TW_IDENTITY*, qm::twain::TW_IDENTITY*, qm::twain::TW_UINT32,
                                         qm::twain::TW_UINT16, qm::twain::TW_UINT16, qm::twain::TW_MEMREF);

namespace qm::twain {
namespace {

using qm::test::ServedPicture;

std::vector<TW_UINT16> callbacks;

TW_UINT16 onSourceMessage(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 dataType,
                          TW_UINT16 message, TW_MEMREF)
{
    EXPECT_NE(origin, nullptr);
    EXPECT_NE(destination, nullptr);
    EXPECT_EQ(group, DG_CONTROL);
    EXPECT_EQ(dataType, DAT_NULL);
    callbacks.push_back(message);
    return TWRC_SUCCESS;
}

class Acquisition : public ::testing::TestWithParam<TW_UINT16> {
protected:
    Acquisition()
    {
        windows.install(qm::test::builtTestFile("test_panel/Vantrel.DLL"), windows.panelPath());
        qm::test::writeTextFile(windows.installDirectory() + "/" + qm::test::kTestPanelSettingsFile,
                                "[Pictures]\nCount=4\nSize1=640x480\nSize2=33x20\nSize3=30x20\nRotation3=1\n"
                                "Size4=8x8\nSelected=1,2,3\n");
        callbacks.clear();
        application.ProtocolMajor = 1;
        application.ProtocolMinor = 9;
        application.SupportedGroups = DG_CONTROL | DG_IMAGE;
        std::strcpy(application.ProductName, "Acquisition Test");
    }

    TW_UINT16 toManager(TW_UINT16 dataType, TW_UINT16 message, void* data)
    {
        return DSM_Entry(&application, nullptr, DG_CONTROL, dataType, message, data);
    }
    TW_UINT16 toSource(TW_UINT32 group, TW_UINT16 dataType, TW_UINT16 message, void* data)
    {
        return DSM_Entry(&application, &source, group, dataType, message, data);
    }
    TW_UINT16 sourceCondition()
    {
        TW_STATUS status{};
        toSource(DG_CONTROL, DAT_STATUS, MSG_GET, &status);
        return status.ConditionCode;
    }

    // What MSG_PROCESSEVENT hands over, or MSG_NULL.
    TW_UINT16 pollEvent()
    {
        // The source reads the application's message as the platform's MSG.
        qm::ui::MSG windowMessage{};
        TW_EVENT event{&windowMessage, MSG_NULL};
        const TW_UINT16 rc = toSource(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
        return rc == TWRC_DSEVENT ? event.TWMessage : MSG_NULL;
    }

    void transferPicture(TW_UINT16 mechanism, const ServedPicture& served, int index);

    qm::test::WindowsDir windows;
    qm::test::TempDir out;
    TW_IDENTITY application{};
    TW_IDENTITY source{};
};

void Acquisition::transferPicture(TW_UINT16 mechanism, const ServedPicture& served, int index)
{
    TW_IMAGEINFO info{};
    ASSERT_EQ(toSource(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    ASSERT_EQ(+info.ImageWidth, served.deliveredWidth());
    ASSERT_EQ(+info.ImageLength, served.deliveredHeight());

    if (mechanism == TWSX_NATIVE) {
        TW_HANDLE handle = nullptr;
        ASSERT_EQ(toSource(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
        ASSERT_NE(handle, nullptr);
        EXPECT_TRUE(qm::test::dibMatches(static_cast<std::uint8_t*>(handle), sys::GlobalSize(handle), served));
        std::free(handle);  // a handed-over block is a calloc'd one
    } else if (mechanism == TWSX_MEMORY) {
        TW_SETUPMEMXFER setup{};
        ASSERT_EQ(toSource(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_SUCCESS);
        std::vector<std::uint8_t> buffer(setup.Preferred);
        std::vector<std::uint8_t> rows;
        TW_UINT16 rc = TWRC_SUCCESS;
        int strips = 0;
        while (rc == TWRC_SUCCESS) {
            TW_IMAGEMEMXFER xfer{};
            xfer.Memory = TW_MEMORY{TWMF_APPOWNS | TWMF_POINTER, TW_UINT32(buffer.size()), buffer.data()};
            rc = toSource(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer);
            ASSERT_TRUE(rc == TWRC_SUCCESS || rc == TWRC_XFERDONE) << "condition " << sourceCondition();
            ASSERT_EQ(+xfer.YOffset * +xfer.BytesPerRow, rows.size());
            rows.insert(rows.end(), buffer.begin(), buffer.begin() + xfer.BytesWritten);
            ++strips;
        }
        EXPECT_TRUE(qm::test::rgbRowsMatch(rows.data(), std::size_t(served.deliveredWidth()) * 3, 0,
                                           served.deliveredHeight(), served));
        if (served.width == 640) {
            EXPECT_EQ(strips, 4);
        }
    } else {
        TW_SETUPFILEXFER setup{};
        const std::string name = out.file("picture" + std::to_string(index) + ".bmp");
        std::strcpy(setup.FileName, name.c_str());
        setup.Format = TWFF_BMP;
        ASSERT_EQ(toSource(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS);
        ASSERT_EQ(toSource(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
        const auto file = sys::readWholeFile(name);
        ASSERT_TRUE(file);
        ASSERT_GT(file->size(), 14u);
        EXPECT_TRUE(qm::test::dibMatches(file->data() + 14, file->size() - 14, served));
    }
}

TEST_P(Acquisition, EverySelectedPictureReachesTheApplication)
{
    const TW_UINT16 mechanism = GetParam();
    void* parent = nullptr;
    ASSERT_EQ(toManager(DAT_PARENT, MSG_OPENDSM, &parent), TWRC_SUCCESS);
    ASSERT_NE(+application.Id, 0u);

    ASSERT_EQ(toManager(DAT_IDENTITY, MSG_GETFIRST, &source), TWRC_SUCCESS);
    EXPECT_STREQ(source.ProductName, "Corvel Camera 640X480 driver");
    EXPECT_NE(+source.Id, 0u);
    TW_IDENTITY next{};
    EXPECT_EQ(toManager(DAT_IDENTITY, MSG_GETNEXT, &next), TWRC_ENDOFLIST);

    ASSERT_EQ(toManager(DAT_IDENTITY, MSG_OPENDS, &source), TWRC_SUCCESS);
    TW_CALLBACK callback{reinterpret_cast<TW_MEMREF>(&onSourceMessage), 0, 0};
    ASSERT_EQ(toSource(DG_CONTROL, DAT_CALLBACK, MSG_REGISTER_CALLBACK, &callback), TWRC_SUCCESS);

    sys::HGLOBAL wanted = sys::GlobalAlloc(sys::GHND, 6);
    auto* one = static_cast<std::uint8_t*>(sys::GlobalLock(wanted));
    one[0] = TWTY_UINT16;
    one[2] = std::uint8_t(mechanism);
    sys::GlobalUnlock(wanted);
    TW_CAPABILITY cap{ICAP_XFERMECH, TWON_ONEVALUE, wanted};
    ASSERT_EQ(toSource(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap), TWRC_SUCCESS);
    sys::GlobalFree(wanted);

    TW_USERINTERFACE ui{TW_TRUE, TW_FALSE, nullptr};
    ASSERT_EQ(toSource(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
    EXPECT_EQ(pollEvent(), MSG_NULL);

    // The user presses Transfer in the panel.
    sys::HMODULE panel = sys::LoadLibrary(windows.panelPath().c_str());
    ASSERT_NE(panel, nullptr);
    auto press = sys::getProc<qm::test::TestPanelPressProc>(panel, qm::test::kTestPanelPressName);
    ASSERT_NE(press, nullptr);
    EXPECT_EQ(press(qm::test::kPressTransfer), 1u);
    sys::FreeLibrary(panel);
    ASSERT_EQ(callbacks, std::vector<TW_UINT16>{MSG_XFERREADY});
    ASSERT_EQ(pollEvent(), MSG_XFERREADY);
    EXPECT_EQ(pollEvent(), MSG_NULL);

    const ServedPicture served[] = {{1, 640, 480}, {2, 33, 20}, {3, 30, 20, 1}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ASSERT_NO_FATAL_FAILURE(transferPicture(mechanism, served[i], i));
        TW_PENDINGXFERS pending{};
        ASSERT_EQ(toSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
        EXPECT_EQ(pending.Count, 2 - i);
    }

    // After the last picture the source asks to be closed.
    EXPECT_EQ(callbacks, (std::vector<TW_UINT16>{MSG_XFERREADY, MSG_CLOSEDSREQ}));
    EXPECT_EQ(pollEvent(), MSG_CLOSEDSREQ);
    ASSERT_EQ(toSource(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
    ASSERT_EQ(toManager(DAT_IDENTITY, MSG_CLOSEDS, &source), TWRC_SUCCESS);
    ASSERT_EQ(toManager(DAT_PARENT, MSG_CLOSEDSM, &parent), TWRC_SUCCESS);
}

INSTANTIATE_TEST_SUITE_P(Mechanisms, Acquisition, ::testing::Values(TWSX_NATIVE, TWSX_MEMORY, TWSX_FILE),
                         [](const auto& info) {
                             return info.param == TWSX_NATIVE ? "Native" : info.param == TWSX_MEMORY ? "Memory" : "File";
                         });

}  // namespace
}  // namespace qm::twain
