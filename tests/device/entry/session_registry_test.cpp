#include "device/entry/session_registry.h"

#include <gtest/gtest.h>

#include "common/config/kvb_config.h"
#include "tests/device/entry/fake_session.h"
#include "tests/support/windows_dir.h"

namespace qm::device {
namespace {

using test::FakeSession;
using test::script;

class SessionRegistryTest : public ::testing::Test {
protected:
    SessionRegistryTest() { script() = {}; }

    std::unique_ptr<CProxy> connect(const SessionRegistry& registry)
    {
        return registry.connect(context, &code, &count, nullptr);
    }

    qm::test::WindowsDir windows;
    ProgressReporter progress;
    SessionContext context{progress, SessionTiming()};
    std::uint32_t code = 0x1234;
    std::uint32_t count = 0;
};

TEST_F(SessionRegistryTest, WithoutACameraTypeEveryClassIsTriedInOrder)
{
    SessionRegistry registry;
    registry.add(FakeSession<0>::classRecord);
    registry.add(FakeSession<1>::classRecord);
    registry.add(FakeSession<2>::classRecord);
    script().openResults = {0, 1};
    std::unique_ptr<CProxy> session = connect(registry);
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(&session->runtimeClass(), &FakeSession<1>::classRecord);
    EXPECT_EQ(script().log, (std::vector<std::string>{"open 0", "open 1"}));
    EXPECT_EQ(count, 7u);
    EXPECT_EQ(static_cast<FakeSession<1>*>(session.get())->lastCode, &code);
    EXPECT_EQ(script().alive, 1) << "the session that failed is destroyed";
    EXPECT_EQ(config::readInt("MAIN", "Camera Type", -1), 1);
}

TEST_F(SessionRegistryTest, TheRememberedClassGoesFirst)
{
    SessionRegistry registry;
    registry.add(FakeSession<0>::classRecord);
    registry.add(FakeSession<1>::classRecord);
    registry.add(FakeSession<2>::classRecord);
    config::writeInt("MAIN", "Camera Type", 2);
    EXPECT_EQ(registry.passOrder(2), (std::vector<std::size_t>{2, 0, 1}));
    EXPECT_EQ(registry.passOrder(0xFFFF), (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_EQ(registry.passOrder(-3), (std::vector<std::size_t>{0, 1, 2}));

    script().openResults = {0, 0, 1};
    std::unique_ptr<CProxy> session = connect(registry);
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(script().log, (std::vector<std::string>{"open 2", "open 0", "open 1"}));
    EXPECT_EQ(config::readInt("MAIN", "Camera Type", -1), 1);
}

TEST_F(SessionRegistryTest, OneRegisteredClassIsTriedOnceWhateverIsStored)
{
    SessionRegistry registry;
    registry.add(FakeSession<0>::classRecord);
    for (int stored : {0, 0xFFFF, 5}) {
        script() = {};
        config::writeInt("MAIN", "Camera Type", stored);
        EXPECT_EQ(connect(registry), nullptr);
        EXPECT_EQ(script().log, (std::vector<std::string>{"open 0"})) << stored;
        EXPECT_EQ(script().alive, 0);
        EXPECT_EQ(config::readInt("MAIN", "Camera Type", -1), stored) << "a failed connect leaves it";
    }
}

TEST_F(SessionRegistryTest, AMissingKeyIsWrittenOnTheFirstSuccess)
{
    SessionRegistry registry;
    registry.add(FakeSession<0>::classRecord);
    script().openResults = {1};
    EXPECT_NE(connect(registry), nullptr);
    EXPECT_EQ(config::readInt("MAIN", "Camera Type", -1), 0);
}

}  // namespace
}  // namespace qm::device
