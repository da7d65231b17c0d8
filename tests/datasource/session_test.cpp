// Opening, enabling, disabling and closing the source; its status, origin
// check, event processing and notifications.
#include <cstring>
#include <filesystem>

#include "datasource/acquire_entry.h"
#include "datasource/transfer/acquire.h"
#include "platform/ui/input/input.h"
#include "platform/ui/input/keys.h"
#include "platform/ui/message/messages.h"
#include "platform/ui/window/window.h"
#include "tests/datasource/source_fixture.h"

namespace qm::ds::test {
namespace {

TEST_F(SourceTest, IdentityBeforeAnyOpenIsTheLibrarysOwn)
{
    TW_IDENTITY identity{};
    identity.Id = 55;
    ASSERT_EQ(control(DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
    EXPECT_EQ(+identity.Id, 0u);
    EXPECT_EQ(identity.Version.MajorNum, 1);
    EXPECT_EQ(identity.Version.MinorNum, 0);
    EXPECT_EQ(identity.Version.Language, TWLG_USA);
    EXPECT_EQ(identity.Version.Country, TWCY_USA);
    EXPECT_STREQ(identity.Version.Info, "EXTENDED TWAIN QMTWAIN");
    EXPECT_EQ(identity.ProtocolMajor, 1);
    EXPECT_EQ(identity.ProtocolMinor, 5);
    EXPECT_EQ(+identity.SupportedGroups, DG_CONTROL | DG_IMAGE);
    EXPECT_STREQ(identity.Manufacturer, "Quillon");
    EXPECT_STREQ(identity.ProductFamily, "Digital Still Camera Product");
    EXPECT_STREQ(identity.ProductName, "Corvel Camera 640X480 driver");
}

TEST_F(SourceTest, OpenStoresBothIdentitiesAndLoadsThePanelCloseUndoesIt)
{
    open();
    EXPECT_EQ(+record.application.Id, 7u);
    EXPECT_STREQ(record.application.ProductName, "Test Application");
    EXPECT_EQ(+record.source.Id, 9u);
    EXPECT_EQ(record.panel.status, PANEL_LOADED);
    EXPECT_EQ(record.paths.panel, windows.panelPath());
    EXPECT_EQ(record.paths.device, windows.devicePath());
    EXPECT_EQ(record.paths.dataSource, windows.dataSourcePath());

    TW_IDENTITY identity{};
    ASSERT_EQ(control(DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
    EXPECT_EQ(+identity.Id, 9u);

    TW_IDENTITY again = assigned;
    EXPECT_EQ(control(DAT_IDENTITY, MSG_OPENDS, &again), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_SEQERROR);

    close();
    EXPECT_EQ(record.state, STATE_LOADED);
    EXPECT_EQ(+record.application.Id, 0u);
    EXPECT_EQ(record.panel.module, nullptr);
    EXPECT_EQ(record.panel.status, PANEL_NOT_LOADED);
    TW_IDENTITY identity2 = assigned;
    EXPECT_EQ(control(DAT_IDENTITY, MSG_CLOSEDS, &identity2), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_SEQERROR);
}

TEST_F(SourceTest, EnableCreatesBindsAndShowsThePanelOnce)
{
    open();
    int parentWindow = 0;
    TW_USERINTERFACE ui{TW_TRUE, TW_TRUE, &parentWindow};
    ASSERT_EQ(control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
    EXPECT_EQ(record.state, STATE_ENABLED);
    EXPECT_EQ(record.panel.status, PANEL_SHOWN);
    EXPECT_NE(record.panel.window, nullptr);

    qm::test::TestPanelStats stats = panelStats();
    EXPECT_EQ(stats.creates, 1u);
    EXPECT_EQ(stats.binds, 1u);
    EXPECT_EQ(stats.shows, 1u);
    EXPECT_EQ(stats.parent, &parentWindow);
    EXPECT_STREQ(stats.dataSourcePath, windows.dataSourcePath().c_str());
    EXPECT_STREQ(stats.devicePath, windows.devicePath().c_str());

    // Disabling hides the dialog; enabling again shows the same one.
    disable();
    EXPECT_EQ(record.state, STATE_OPEN);
    EXPECT_EQ(record.panel.status, PANEL_CREATED);
    enable();
    stats = panelStats();
    EXPECT_EQ(stats.creates, 1u);
    EXPECT_EQ(stats.hides, 1u);
    EXPECT_EQ(stats.shows, 2u);

    close();
    EXPECT_EQ(record.panel.module, nullptr);
}

TEST_F(SourceTest, CloseTellsThePanelBeforeUnloadingIt)
{
    open();
    enable();
    // Keep the module loaded past the close to read what it was told.
    sys::HMODULE extra = sys::LoadLibrary(windows.panelPath().c_str());
    ASSERT_NE(extra, nullptr);
    close();
    auto read = sys::getProc<qm::test::TestPanelReadStatsProc>(extra, qm::test::kTestPanelReadStatsName);
    qm::test::TestPanelStats stats{};
    read(&stats);
    EXPECT_EQ(stats.closes, 1u);
    sys::FreeLibrary(extra);
}

TEST_F(SourceTest, EnableWithoutUserInterfaceIsRefusedAndCanBeRetried)
{
    open();
    TW_USERINTERFACE hidden{TW_FALSE, TW_FALSE, nullptr};
    EXPECT_EQ(control(DAT_USERINTERFACE, MSG_ENABLEDS, &hidden), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_SEQERROR);
    EXPECT_EQ(record.state, STATE_OPEN);
    enable();
}

TEST_F(SourceTest, MissingPanelModuleFailsOnlyTheEnable)
{
    std::filesystem::remove(windows.panelPath());
    open();
    EXPECT_EQ(record.panel.status, PANEL_NOT_LOADED);
    TW_USERINTERFACE ui{TW_TRUE, TW_FALSE, nullptr};
    EXPECT_EQ(control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_LOWMEMORY);
    EXPECT_EQ(record.state, STATE_OPEN);
    close();
}

TEST_F(SourceTest, PanelCreationOrBindingFailureRefusesEnableAndKeepsRefusing)
{
    for (const char* failure : {"FailCreate=1", "FailBind=1"}) {
        SCOPED_TRACE(failure);
        panelSettings(std::string("[Behaviour]\n") + failure + "\n");
        open();
        TW_USERINTERFACE ui{TW_TRUE, TW_FALSE, nullptr};
        EXPECT_EQ(control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_FAILURE);
        EXPECT_EQ(condition(), TWCC_LOWMEMORY);
        EXPECT_EQ(record.state, STATE_OPEN);
        EXPECT_EQ(record.panel.status, PANEL_NOT_LOADED);
        EXPECT_EQ(record.panel.window, nullptr);
        EXPECT_NE(record.panel.module, nullptr);  // stays loaded until the close
        // The module counts as unusable from now on.
        panelSettings("");
        EXPECT_EQ(control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_FAILURE);
        EXPECT_EQ(condition(), TWCC_LOWMEMORY);
        close();
    }
}

TEST_F(SourceTest, SessionTripletsInTheWrongStateAreSequenceErrors)
{
    TW_USERINTERFACE ui{TW_TRUE, TW_FALSE, nullptr};
    EXPECT_EQ(control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_SEQERROR);
    EXPECT_EQ(control(DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_SEQERROR);
    open();
    EXPECT_EQ(control(DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_SEQERROR);
    enable();
    EXPECT_EQ(control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_SEQERROR);
    EXPECT_EQ(record.state, STATE_ENABLED);
}

TEST_F(SourceTest, UnservedGroupsTypesAndMessagesAreProtocolErrors)
{
    TW_IDENTITY identity{};
    TW_USERINTERFACE ui{};
    TW_STATUS status{};
    struct Case {
        TW_UINT32 group;
        TW_UINT16 dataType;
        TW_UINT16 message;
        void* data;
    } cases[] = {
        {DG_AUDIO, DAT_IDENTITY, MSG_GET, &identity},
        {0x8000, DAT_IDENTITY, MSG_GET, &identity},
        {DG_CONTROL, DAT_PARENT, MSG_OPENDSM, nullptr},
        {DG_CONTROL, DAT_EVENT, MSG_GET, nullptr},
        {DG_CONTROL, DAT_NULL, MSG_XFERREADY, nullptr},
        {DG_IMAGE, DAT_PALETTE8, MSG_GET, nullptr},
        {DG_IMAGE, DAT_IDENTITY, MSG_GET, &identity},
        {DG_CONTROL, DAT_IMAGEINFO, MSG_GET, nullptr},
        {DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &identity},
        {DG_CONTROL, DAT_USERINTERFACE, MSG_GET, &ui},
        {DG_CONTROL, DAT_STATUS, MSG_SET, &status},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.group << " " << c.dataType << " " << c.message);
        EXPECT_EQ(call(c.group, c.dataType, c.message, c.data), TWRC_FAILURE);
        EXPECT_EQ(condition(), TWCC_BADPROTOCOL);
    }
}

TEST_F(SourceTest, StatusReportsTheLastFailureOnceAndSuccessClearsIt)
{
    TW_USERINTERFACE ui{TW_TRUE, TW_FALSE, nullptr};
    EXPECT_EQ(control(DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_SEQERROR);
    EXPECT_EQ(condition(), TWCC_SUCCESS);

    EXPECT_EQ(control(DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_FAILURE);
    TW_IDENTITY identity{};
    EXPECT_EQ(control(DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
    EXPECT_EQ(condition(), TWCC_SUCCESS);
}

TEST_F(SourceTest, AnotherApplicationIsIgnoredWhileOneIsConnected)
{
    open();
    TW_USERINTERFACE ui{TW_TRUE, TW_FALSE, nullptr};
    EXPECT_EQ(control(DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_FAILURE);  // leaves SEQERROR behind

    TW_IDENTITY other{};
    other.Id = 8;
    TW_IDENTITY identity = assigned;
    identity.Id = 33;
    EXPECT_EQ(dsEntry(record, &other, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &identity), TWRC_SUCCESS);
    EXPECT_EQ(dsEntry(record, &other, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
    EXPECT_EQ(dsEntry(record, &other, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity), TWRC_SUCCESS);
    EXPECT_EQ(dsEntry(record, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity), TWRC_SUCCESS);
    TW_STATUS status{0xFFFF, 0xFFFF};
    EXPECT_EQ(dsEntry(record, &other, DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
    EXPECT_EQ(status.ConditionCode, 0xFFFF);

    EXPECT_EQ(record.state, STATE_OPEN);
    EXPECT_EQ(+record.application.Id, 7u);
    EXPECT_EQ(+record.source.Id, 9u);
    EXPECT_EQ(condition(), TWCC_SEQERROR);
}

TEST_F(SourceTest, EventsAreNotTheSourcesWhileThePanelIsHidden)
{
    ui::MSG message{};
    TW_EVENT event{&message, 0x1234};
    EXPECT_EQ(control(DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
    open();
    EXPECT_EQ(control(DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
    enable();
    disable();
    EXPECT_EQ(control(DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
    EXPECT_EQ(event.TWMessage, 0x1234);
    // The group and type do not matter: the message alone marks an event.
    EXPECT_EQ(call(DG_IMAGE, DAT_IMAGEINFO, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
    EXPECT_EQ(control(DAT_EVENT, MSG_PROCESSEVENT, nullptr), TWRC_NOTDSEVENT);
}

TEST_F(SourceTest, KeyboardMessagesForTheShownPanelAreTheSources)
{
    open();
    enable();
    ui::HWND panel = static_cast<ui::HWND>(record.panel.window);
    ASSERT_TRUE(ui::IsWindow(panel));
    ui::HWND transfer = ui::GetFocus();
    ASSERT_NE(transfer, nullptr);
    ASSERT_TRUE(ui::IsChild(panel, transfer));

    // Tab moves the focus within the panel: the source consumes the message.
    ui::MSG tab{};
    tab.hwnd = transfer;
    tab.message = ui::WM_KEYDOWN;
    tab.wParam = ui::VK_TAB;
    TW_EVENT event{&tab, 0x1234};
    EXPECT_EQ(control(DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_DSEVENT);
    EXPECT_EQ(event.TWMessage, MSG_NULL);
    EXPECT_NE(ui::GetFocus(), transfer);
    EXPECT_TRUE(ui::IsChild(panel, ui::GetFocus()));

    // A message for another window is left to the application.
    ui::MSG other{};
    other.message = ui::WM_KEYDOWN;
    other.wParam = ui::VK_TAB;
    TW_EVENT otherEvent{&other, 0x1234};
    EXPECT_EQ(control(DAT_EVENT, MSG_PROCESSEVENT, &otherEvent), TWRC_NOTDSEVENT);
    EXPECT_EQ(otherEvent.TWMessage, 0x1234);

    // Hidden again, the panel takes nothing.
    disable();
    EXPECT_EQ(control(DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
}

TEST_F(SourceTest, AcquireEntryNotifiesTheApplicationThroughTheSourceManager)
{
    open();
    enable();
    EXPECT_EQ(acquireEntry(record, ACQUIRE_CLOSEDSREQ), 1u);
    EXPECT_EQ(record.state, STATE_ENABLED);
    EXPECT_EQ(acquireEntry(record, ACQUIRE_XFERREADY), 1u);
    EXPECT_EQ(record.state, STATE_XFERREADY);
    EXPECT_EQ(acquireEntry(record, 3), 0u);
    EXPECT_EQ(acquireEntry(record, 0), 0u);

    ASSERT_EQ(notifications().size(), 2u);
    EXPECT_EQ(notifications()[0].message, MSG_CLOSEDSREQ);
    EXPECT_EQ(notifications()[1].message, MSG_XFERREADY);
    EXPECT_EQ(notifications()[1].sourceId, 9u);
    EXPECT_EQ(notifications()[1].applicationId, 7u);
}

TEST_F(SourceTest, NotificationsFindTheSourceManagerByName)
{
    record.sourceManagerOverride = nullptr;
    open();
    enable();
    // Our source manager does not know this application and says so; the
    // source does not look at its answer.
    EXPECT_EQ(acquireEntry(record, ACQUIRE_XFERREADY), 1u);
    EXPECT_EQ(record.state, STATE_XFERREADY);
}

TEST_F(SourceTest, MissingDataIsRefusedRatherThanFollowed)
{
    EXPECT_EQ(control(DAT_IDENTITY, MSG_GET, nullptr), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADVALUE);
    EXPECT_EQ(control(DAT_IDENTITY, MSG_OPENDS, nullptr), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADVALUE);
    EXPECT_EQ(record.state, STATE_LOADED);
    TW_IDENTITY identity = assigned;
    EXPECT_EQ(dsEntry(record, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &identity), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADVALUE);
    open();
    EXPECT_EQ(control(DAT_USERINTERFACE, MSG_ENABLEDS, nullptr), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADVALUE);
    EXPECT_EQ(control(DAT_CAPABILITY, MSG_GET, nullptr), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADVALUE);
}

}  // namespace
}  // namespace qm::ds::test
