#include "panel/operations/connect_button.h"

#include <array>

#include "common/config/kvb_config.h"
#include "panel/browser/photo_browser_dlg.h"
#include "panel/entry/panel_globals.h"
#include "panel/operations/operation_steps.h"
#include "panel/resources/resource.h"

namespace qm::panel {
namespace {

// Serial speeds by the index the device module reports; 0 is USB.
constexpr std::array<std::uint32_t, 6> kSpeedTable = {0, 9600, 19200, 38400, 57600, 115200};
constexpr int kDefaultSpeed = 38400;
constexpr std::uint32_t kReconnectPauseMs = 5000;

// The line runs at the speed KVB.ini asks for.
bool speedAsConfigured()
{
    std::uint32_t index = 0;
    if (!driverLink().call(device::kTypeReadValue, device::kReadSpeedIndex, &index) || index >= kSpeedTable.size())
        return false;
    const int configured = config::readInt("Baud Rate Speeding", "Baud Rate Mode", kDefaultSpeed);
    return configured >= 0 && std::uint32_t(configured) == kSpeedTable[index];
}

}  // namespace

void pressConnect(CPhotoBrowserDlg& browser)
{
    browser.GetDlgItem(IDC_FOCUS_SINK)->SetFocus();
    if (browser.currentOperation() != kOperationIdle) {
        browser.ShowMessage(IDS_OPERATION_RUNNING);
        return;
    }
    PanelState& state = panelState();
    bool connected = false;
    if (!browser.IsConnected()) {
        if (state.camera.connected == 1) {
            browser.ShowMessage(IDS_ASK_RECONNECT);
            state.camera.connected = 0;
        }
        browser.HandleDisconnect(false);
    } else if (driverLink().changedQuery() != 0) {
        connected = browser.Reload();
        acknowledgeChange();
    } else {
        connected = true;
    }

    // Connecting from here on; the steps below may reload.
    browser.BeginConnecting();
    if (connected) {
        if (browser.ShowMessage(IDS_ASK_REFRESH, ui::MB_OKCANCEL) != ui::IDOK) {
            browser.EndOperation();
            return;
        }
        // A new speed in KVB.ini takes effect with a new connection.
        if (!speedAsConfigured())
            browser.HandleDisconnect(false);
        waitResponsive(browser, kReconnectPauseMs);
    }
    state.resetLists();
    browser.RedrawCells();
    browser.ConnectAndLoad();
    browser.EndOperation();
}

}  // namespace qm::panel
