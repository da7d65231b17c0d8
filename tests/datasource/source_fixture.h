// A data source record of the test's own in a private Windows directory with
// the test panel installed as the panel module.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datasource/entry/dispatch.h"
#include "tests/datasource/test_panel/test_panel_control.h"
#include "tests/support/windows_dir.h"

namespace qm::ds::test {

// A notification as the source manager received it.
struct Notification {
    TW_UINT32 sourceId;
    TW_UINT32 applicationId;
    TW_UINT16 message;
};

class SourceTest : public ::testing::Test {
protected:
    SourceTest();
    ~SourceTest() override;

    // Replaces the test panel's settings (TestPanel.ini).
    void panelSettings(const std::string& ini) const;

    TW_UINT16 call(TW_UINT32 group, TW_UINT16 dataType, TW_UINT16 message, void* data);
    TW_UINT16 control(TW_UINT16 dataType, TW_UINT16 message, void* data)
    {
        return call(DG_CONTROL, dataType, message, data);
    }
    TW_UINT16 image(TW_UINT16 dataType, TW_UINT16 message, void* data) { return call(DG_IMAGE, dataType, message, data); }
    // DAT_STATUS: the condition code of the last failure.
    TW_UINT16 condition();

    void open();
    void enable();
    void disable();
    void close();
    // Open, enable and let the user press Transfer: state 600.
    void startTransfer();

    std::uint32_t press(std::uint32_t button);
    qm::test::TestPanelStats panelStats() const;
    const std::vector<Notification>& notifications() const;

    qm::test::WindowsDir windows;
    SourceRecord record;
    TW_IDENTITY application{};
    TW_IDENTITY assigned{};  // the identity the source manager passes to MSG_OPENDS
};

// Container helpers.
struct Container {
    TW_UINT16 conType = 0;
    TW_UINT16 itemType = 0;
    std::vector<std::uint8_t> bytes;  // the whole block
    std::size_t blockSize = 0;
};
// Reads the container a capability answer carries and frees it.
Container takeContainer(TW_CAPABILITY& capability);
sys::HGLOBAL oneValue(TW_UINT16 itemType, std::uint32_t item);
sys::HGLOBAL enumeration16(TW_UINT16 itemType, const std::vector<std::int16_t>& items, std::uint32_t current,
                           std::uint32_t defaultIndex);
sys::HGLOBAL rawBlock(const std::vector<std::uint8_t>& bytes);

}  // namespace qm::ds::test
