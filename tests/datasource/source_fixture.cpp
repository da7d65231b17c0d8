#include "platform/ui/thread/ui_thread.h"
#include "tests/datasource/source_fixture.h"

#include <cstring>

#include "datasource/panel/panel_link.h"
#include "datasource/transfer/acquire.h"
#include "datasource/acquire_entry.h"
#include "platform/system/byte_order.h"
#include "tests/support/temp_dir.h"

namespace qm::ds::test {
namespace {

std::vector<Notification>& sent()
{
    static std::vector<Notification> notifications;
    return notifications;
}

TW_UINT16 recordNotification(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 dataType,
                             TW_UINT16 message, TW_MEMREF data)
{
    EXPECT_EQ(group, DG_CONTROL);
    EXPECT_EQ(dataType, DAT_NULL);
    EXPECT_EQ(data, nullptr);
    sent().push_back(Notification{origin->Id, destination->Id, message});
    return TWRC_SUCCESS;
}

template <typename Fn>
Fn panelExport(const SourceRecord& record, const char* name)
{
    EXPECT_NE(record.panel.module, nullptr) << "the panel module is not loaded";
    return record.panel.module != nullptr ? sys::getProc<Fn>(record.panel.module, name) : nullptr;
}

}  // namespace

SourceTest::SourceTest()
{
    // The test pumps the panel's windows itself: no UI thread beside it.
    ui::hostPumpsMessages();
    windows.install(qm::test::builtTestFile("test_panel/Vantrel.DLL"), windows.panelPath());
    panelSettings("[Pictures]\nCount=3\nSize=64x48\n");
    sent().clear();
    record.sourceManagerOverride = recordNotification;
    application.Id = 7;
    std::strcpy(application.ProductName, "Test Application");
    assigned = record.source;
    assigned.Id = 9;
}

SourceTest::~SourceTest()
{
    releaseSourceRecord(record);
}

void SourceTest::panelSettings(const std::string& ini) const
{
    qm::test::writeTextFile(windows.installDirectory() + "/" + qm::test::kTestPanelSettingsFile, ini);
}

TW_UINT16 SourceTest::call(TW_UINT32 group, TW_UINT16 dataType, TW_UINT16 message, void* data)
{
    return dsEntry(record, &application, group, dataType, message, data);
}

TW_UINT16 SourceTest::condition()
{
    TW_STATUS status{0xFFFF, 0xFFFF};
    EXPECT_EQ(control(DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
    EXPECT_EQ(+status.Reserved, 0);
    return status.ConditionCode;
}

void SourceTest::open()
{
    TW_IDENTITY identity = assigned;
    ASSERT_EQ(control(DAT_IDENTITY, MSG_OPENDS, &identity), TWRC_SUCCESS);
    ASSERT_EQ(record.state, STATE_OPEN);
}

void SourceTest::enable()
{
    TW_USERINTERFACE ui{TW_TRUE, TW_FALSE, nullptr};
    ASSERT_EQ(control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
    ASSERT_EQ(record.state, STATE_ENABLED);
}

void SourceTest::disable()
{
    TW_USERINTERFACE ui{TW_TRUE, TW_FALSE, nullptr};
    ASSERT_EQ(control(DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
}

void SourceTest::close()
{
    TW_IDENTITY identity = assigned;
    ASSERT_EQ(control(DAT_IDENTITY, MSG_CLOSEDS, &identity), TWRC_SUCCESS);
}

void SourceTest::startTransfer()
{
    ASSERT_NO_FATAL_FAILURE(open());
    ASSERT_NO_FATAL_FAILURE(enable());
    // The test panel's own binding reaches another instance of the data
    // source, so the test selects and then tells its own record.
    ASSERT_EQ(press(qm::test::kPressSelect), 1u);
    ASSERT_EQ(acquireEntry(record, ACQUIRE_XFERREADY), 1u);
    ASSERT_EQ(record.state, STATE_XFERREADY);
}

std::uint32_t SourceTest::press(std::uint32_t button)
{
    auto pressProc = panelExport<qm::test::TestPanelPressProc>(record, qm::test::kTestPanelPressName);
    return pressProc != nullptr ? pressProc(button) : 0;
}

qm::test::TestPanelStats SourceTest::panelStats() const
{
    qm::test::TestPanelStats stats{};
    if (auto read = panelExport<qm::test::TestPanelReadStatsProc>(record, qm::test::kTestPanelReadStatsName))
        read(&stats);
    return stats;
}

const std::vector<Notification>& SourceTest::notifications() const
{
    return sent();
}

Container takeContainer(TW_CAPABILITY& capability)
{
    Container container;
    container.conType = capability.ConType;
    sys::HGLOBAL handle = capability.hContainer;
    container.blockSize = sys::GlobalSize(handle);
    if (handle != nullptr) {
        const auto* bytes = static_cast<const std::uint8_t*>(sys::GlobalLock(handle));
        container.bytes.assign(bytes, bytes + container.blockSize);
        container.itemType = container.blockSize >= 2 ? sys::readLe16(bytes) : 0;
        sys::GlobalUnlock(handle);
        sys::GlobalFree(handle);
    }
    capability.hContainer = nullptr;
    return container;
}

sys::HGLOBAL rawBlock(const std::vector<std::uint8_t>& bytes)
{
    sys::HGLOBAL handle = sys::GlobalAlloc(sys::GHND, bytes.size());
    std::memcpy(sys::GlobalLock(handle), bytes.data(), bytes.size());
    sys::GlobalUnlock(handle);
    return handle;
}

sys::HGLOBAL oneValue(TW_UINT16 itemType, std::uint32_t item)
{
    std::vector<std::uint8_t> bytes(6);
    sys::writeLe16(&bytes[0], itemType);
    sys::writeLe32(&bytes[2], item);
    return rawBlock(bytes);
}

sys::HGLOBAL enumeration16(TW_UINT16 itemType, const std::vector<std::int16_t>& items, std::uint32_t current,
                           std::uint32_t defaultIndex)
{
    std::vector<std::uint8_t> bytes(14 + 2 * items.size());
    sys::writeLe16(&bytes[0], itemType);
    sys::writeLe32(&bytes[2], std::uint32_t(items.size()));
    sys::writeLe32(&bytes[6], current);
    sys::writeLe32(&bytes[10], defaultIndex);
    for (std::size_t i = 0; i < items.size(); ++i)
        sys::writeLe16(&bytes[14 + 2 * i], std::uint16_t(items[i]));
    return rawBlock(bytes);
}

}  // namespace qm::ds::test
