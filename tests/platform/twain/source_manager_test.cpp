// The source manager against fake sources in a private Windows directory,
// called as an application calls it.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/system/library.h"
#include "platform/twain/twain_entry.h"
#include "tests/platform/twain/fake_source.h"
#include "tests/support/windows_dir.h"

extern "C" qm::twain::TW_UINT16 DSM_Entry(qm::twain::TW_IDENTITY*, qm::twain::TW_IDENTITY*, qm::twain::TW_UINT32,
                                         qm::twain::TW_UINT16, qm::twain::TW_UINT16, qm::twain::TW_MEMREF);

namespace qm::twain {
namespace {

std::vector<TW_UINT16> received;

TW_UINT16 callback(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16 message, TW_MEMREF)
{
    received.push_back(message);
    return TWRC_SUCCESS;
}

class SourceManagerTest : public ::testing::Test {
protected:
    SourceManagerTest() : windows(qm::test::InstallOptions{false, false, false, false})
    {
        const std::string fake = qm::test::builtTestFile("fake_source.ds");
        windows.install(fake, windows.twainDirectory() + "/Fake.ds");
        windows.install(fake, windows.twainDirectory() + "/vendor/Other.DS");
        qm::test::writeTextFile(windows.twainDirectory() + "/Broken.ds", "not a library");
        received.clear();
        std::strcpy(application.ProductName, "Manager Test");
    }

    ~SourceManagerTest() override
    {
        for (TW_IDENTITY& source : open)
            DSM_Entry(&application, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source);
        if (application.Id != 0)
            DSM_Entry(&application, nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, nullptr);
    }

    TW_UINT16 manager(TW_UINT16 dataType, TW_UINT16 message, void* data)
    {
        return DSM_Entry(&application, nullptr, DG_CONTROL, dataType, message, data);
    }
    TW_UINT16 managerCondition()
    {
        TW_STATUS status{0xFFFF, 0xFFFF};
        EXPECT_EQ(manager(DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
        return status.ConditionCode;
    }
    void openManager() { ASSERT_EQ(manager(DAT_PARENT, MSG_OPENDSM, nullptr), TWRC_SUCCESS); }
    TW_IDENTITY openSource(TW_IDENTITY request = {})
    {
        EXPECT_EQ(manager(DAT_IDENTITY, MSG_OPENDS, &request), TWRC_SUCCESS);
        open.push_back(request);
        return request;
    }
    template <typename Fn>
    Fn fakeExport(const char* name)
    {
        sys::HMODULE module = sys::LoadLibrary((windows.twainDirectory() + "/Fake.ds").c_str());
        Fn fn = sys::getProc<Fn>(module, name);
        sys::FreeLibrary(module);  // still loaded by the manager
        return fn;
    }

    qm::test::WindowsDir windows;
    TW_IDENTITY application{};
    std::vector<TW_IDENTITY> open;
};

TEST_F(SourceManagerTest, ListsTheSourcesItCouldLoadWithFreshIds)
{
    openManager();
    EXPECT_NE(+application.Id, 0u);
    std::vector<TW_IDENTITY> found;
    TW_IDENTITY identity{};
    for (TW_UINT16 rc = manager(DAT_IDENTITY, MSG_GETFIRST, &identity); rc == TWRC_SUCCESS;
         rc = manager(DAT_IDENTITY, MSG_GETNEXT, &identity))
        found.push_back(identity);
    ASSERT_EQ(found.size(), 2u);  // Broken.ds is no library
    for (const TW_IDENTITY& source : found) {
        EXPECT_STREQ(source.ProductName, test::kFakeSourceName);
        EXPECT_NE(+source.Id, 0u);
        EXPECT_NE(+source.Id, +application.Id);
    }
    EXPECT_NE(+found[0].Id, +found[1].Id);
    EXPECT_EQ(manager(DAT_IDENTITY, MSG_GETNEXT, &identity), TWRC_ENDOFLIST);

    TW_IDENTITY chosen{};
    EXPECT_EQ(manager(DAT_IDENTITY, MSG_GETDEFAULT, &chosen), TWRC_SUCCESS);
    EXPECT_EQ(+chosen.Id, +found[0].Id);
    // The source opened last becomes the default.
    TW_IDENTITY second = found[1];
    openSource(second);
    EXPECT_EQ(manager(DAT_IDENTITY, MSG_USERSELECT, &chosen), TWRC_SUCCESS);
    EXPECT_EQ(+chosen.Id, +found[1].Id);
}

TEST_F(SourceManagerTest, NoSourcesNoDefault)
{
    std::filesystem::remove(windows.twainDirectory() + "/Fake.ds");
    std::filesystem::remove(windows.twainDirectory() + "/vendor/Other.DS");
    openManager();
    TW_IDENTITY identity{};
    EXPECT_EQ(manager(DAT_IDENTITY, MSG_GETFIRST, &identity), TWRC_ENDOFLIST);
    EXPECT_EQ(manager(DAT_IDENTITY, MSG_GETDEFAULT, &identity), TWRC_FAILURE);
    EXPECT_EQ(managerCondition(), TWCC_NODS);
    EXPECT_EQ(manager(DAT_IDENTITY, MSG_OPENDS, &identity), TWRC_FAILURE);
    EXPECT_EQ(managerCondition(), TWCC_NODS);
}

TEST_F(SourceManagerTest, KeepsTheOrderOfItsOwnStates)
{
    TW_IDENTITY identity{};
    EXPECT_EQ(manager(DAT_IDENTITY, MSG_GETFIRST, &identity), TWRC_FAILURE);
    EXPECT_EQ(managerCondition(), TWCC_SEQERROR);
    openManager();
    EXPECT_EQ(manager(DAT_PARENT, MSG_OPENDSM, nullptr), TWRC_FAILURE);
    EXPECT_EQ(managerCondition(), TWCC_SEQERROR);
    EXPECT_EQ(managerCondition(), TWCC_SUCCESS);

    const TW_IDENTITY source = openSource();
    EXPECT_EQ(manager(DAT_PARENT, MSG_CLOSEDSM, nullptr), TWRC_FAILURE);
    EXPECT_EQ(managerCondition(), TWCC_SEQERROR);
    TW_IDENTITY again = source;
    EXPECT_EQ(manager(DAT_IDENTITY, MSG_OPENDS, &again), TWRC_FAILURE);
    EXPECT_EQ(managerCondition(), TWCC_SEQERROR);
    EXPECT_EQ(manager(DAT_IDENTITY, MSG_USERSELECT + 9, &again), TWRC_FAILURE);
    EXPECT_EQ(managerCondition(), TWCC_BADPROTOCOL);
    EXPECT_EQ(DSM_Entry(&application, nullptr, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, nullptr), TWRC_FAILURE);
    EXPECT_EQ(managerCondition(), TWCC_BADPROTOCOL);
}

TEST_F(SourceManagerTest, OpensByIdOrNameAndPassesTripletsOnWithTheApplicationAsOrigin)
{
    openManager();
    TW_IDENTITY byName{};
    std::strcpy(byName.ProductName, test::kFakeSourceName);
    const TW_IDENTITY source = openSource(byName);
    EXPECT_NE(+source.Id, 0u);

    TW_IDENTITY destination = source;
    int data = 0;
    EXPECT_EQ(DSM_Entry(&application, &destination, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &data), TWRC_SUCCESS);
    test::FakeSourceCall last{};
    fakeExport<test::FakeSourceLastCallProc>("FakeSourceLastCall")(&last);
    EXPECT_EQ(last.originId, +application.Id);
    EXPECT_EQ(last.group, DG_IMAGE);
    EXPECT_EQ(last.dataType, DAT_IMAGEINFO);
    EXPECT_EQ(last.message, MSG_GET);
    EXPECT_EQ(last.data, &data);

    TW_IDENTITY stranger = source;
    stranger.Id = 9999;
    EXPECT_EQ(DSM_Entry(&application, &stranger, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &data), TWRC_FAILURE);
    EXPECT_EQ(managerCondition(), TWCC_BADDEST);
}

TEST_F(SourceManagerTest, ARefusedOpenReportsTheSourcesReason)
{
    qm::test::ScopedEnv refuse("QM4200_FAKE_SOURCE_REFUSE", "1");
    openManager();
    TW_IDENTITY request{};
    EXPECT_EQ(manager(DAT_IDENTITY, MSG_OPENDS, &request), TWRC_FAILURE);
    EXPECT_EQ(managerCondition(), test::kFakeRefusal);
    TW_IDENTITY destination{};
    EXPECT_EQ(manager(DAT_IDENTITY, MSG_GETFIRST, &destination), TWRC_SUCCESS);
    int data = 0;
    EXPECT_EQ(DSM_Entry(&application, &destination, DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, &data), TWRC_FAILURE);
    EXPECT_EQ(managerCondition(), TWCC_BADDEST);
}

TEST_F(SourceManagerTest, NotificationsReachTheCallbackAndWaitForPolling)
{
    openManager();
    TW_IDENTITY source = openSource();
    TW_CALLBACK registration{reinterpret_cast<TW_MEMREF>(&callback), 0, 0};
    ASSERT_EQ(DSM_Entry(&application, &source, DG_CONTROL, DAT_CALLBACK, MSG_REGISTER_CALLBACK, &registration),
              TWRC_SUCCESS);

    auto notify = fakeExport<test::FakeSourceNotifyProc>("FakeSourceNotify");
    ASSERT_NE(notify, nullptr);
    EXPECT_EQ(notify(MSG_XFERREADY), TWRC_SUCCESS);
    EXPECT_EQ(notify(MSG_CLOSEDSREQ), TWRC_SUCCESS);
    EXPECT_EQ(received, (std::vector<TW_UINT16>{MSG_XFERREADY, MSG_CLOSEDSREQ}));
    EXPECT_EQ(notify(MSG_GET), TWRC_FAILURE);  // not a notification

    auto poll = [&] {
        int message = 0;
        TW_EVENT event{&message, MSG_NULL};
        const TW_UINT16 rc = DSM_Entry(&application, &source, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
        return rc == TWRC_DSEVENT ? event.TWMessage : TW_UINT16(0xFFFF);
    };
    EXPECT_EQ(poll(), MSG_XFERREADY);
    EXPECT_EQ(poll(), MSG_CLOSEDSREQ);
    EXPECT_EQ(poll(), 0xFFFF);  // the source's own answer: not its event

    // An application that never polls does not make them pile up.
    for (int i = 0; i < 40; ++i)
        notify(MSG_XFERREADY);
    int polled = 0;
    while (poll() == MSG_XFERREADY)
        ++polled;
    EXPECT_EQ(polled, 16);
}

TEST_F(SourceManagerTest, ClosingASourceForgetsWhatItSent)
{
    openManager();
    TW_IDENTITY source = openSource();
    auto notify = fakeExport<test::FakeSourceNotifyProc>("FakeSourceNotify");
    EXPECT_EQ(notify(MSG_XFERREADY), TWRC_SUCCESS);
    ASSERT_EQ(manager(DAT_IDENTITY, MSG_CLOSEDS, &source), TWRC_SUCCESS);
    open.clear();
    TW_IDENTITY reopened = openSource(source);
    int message = 0;
    TW_EVENT event{&message, MSG_NULL};
    EXPECT_EQ(DSM_Entry(&application, &reopened, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
    ASSERT_EQ(manager(DAT_IDENTITY, MSG_CLOSEDS, &reopened), TWRC_SUCCESS);
    open.clear();
    EXPECT_EQ(manager(DAT_IDENTITY, MSG_CLOSEDS, &reopened), TWRC_FAILURE);
    EXPECT_EQ(managerCondition(), TWCC_BADDEST);
}

}  // namespace
}  // namespace qm::twain
