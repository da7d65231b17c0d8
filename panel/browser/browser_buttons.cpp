// Which buttons work in which state, the connection polling that watches the
// camera while the browser is idle, and the progress display.
#include "panel/browser/photo_browser_dlg.h"

#include <algorithm>

#include "common/config/kvb_config.h"
#include "panel/browser/toolbar_layout.h"
#include "panel/entry/panel_globals.h"

namespace qm::panel {
namespace {

constexpr int kDefaultPollingMs = 30000;
// A polling interval from KVB.ini is held to a sane range: a zero or
// negative value would poll the camera without pause.
constexpr int kShortestPollingMs = 1000;
constexpr int kLongestPollingMs = 24 * 60 * 60 * 1000;

bool isNavigation(int id)
{
    return id == IDC_HELP || id == IDC_EXIT || id == IDC_CONNECT;
}

bool isScroll(int id)
{
    return id == IDC_PAGE_UP || id == IDC_PAGE_DOWN || id == IDC_ROW_UP || id == IDC_ROW_DOWN;
}

}  // namespace

void CPhotoBrowserDlg::enableButtons(std::uint32_t capabilities, bool connected, bool keepSettings,
                                     bool connectEnabled)
{
    for (const ToolbarButton& place : kToolbar) {
        CBmpButton* button = toolbarButton(place.id);
        if (button == nullptr)
            continue;
        bool enable = false;
        if (place.id == IDC_CONNECT)
            enable = connectEnabled;
        else if (isNavigation(place.id))
            enable = true;
        else if (isScroll(place.id))
            enable = connected;
        else if (place.id == IDC_CAMERA_SETTINGS && keepSettings)
            enable = true;
        else
            enable = connected && (capabilities & place.capability) != 0;
        if (button->IsWindowEnabled() != (enable ? ui::TRUE : ui::FALSE))
            button->EnableWindow(enable ? ui::TRUE : ui::FALSE);
    }
    if (focusSink_.m_hWnd != nullptr)
        focusSink_.EnableWindow(ui::TRUE);
}

void CPhotoBrowserDlg::SetDisconnectedButtons(bool keepSettings)
{
    enableButtons(0, false, keepSettings, true);
    StopPolling();
}

void CPhotoBrowserDlg::SetBusyButtons()
{
    enableButtons(0, false, false, false);
    StopPolling();
}

void CPhotoBrowserDlg::SetConnectedButtons()
{
    enableButtons(driverInfo_.capabilities(), true, false, true);
    StartPolling();
}

void CPhotoBrowserDlg::StartPolling()
{
    const int interval = std::clamp(config::readInt("POLLING", "POLLING", kDefaultPollingMs), kShortestPollingMs,
                                    kLongestPollingMs);
    for (int attempt = 0; attempt < 3 && pollingTimer_ == 0; ++attempt)
        pollingTimer_ = SetTimer(kPollingTimer, ui::UINT(interval));
}

void CPhotoBrowserDlg::StopPolling()
{
    if (pollingTimer_ != 0 && m_hWnd != nullptr)
        KillTimer(kPollingTimer);
    pollingTimer_ = 0;
}

void CPhotoBrowserDlg::pollOnce()
{
    if (operation_ != kOperationIdle || currentDialog_ != kDialogNone)
        return;
    if (driverLink().changedQuery() != 0) {
        if (Reload() || IsConnected())
            driverLink().call(device::kTypeAction, device::kActionAcknowledgeChange);
        else
            HandleDisconnect(true);
    } else if (!IsConnected()) {
        HandleDisconnect(true);
    }
}

void CPhotoBrowserDlg::ShowProgress(int percent, const std::string& text)
{
    progressThreshold_ = 0;
    progress_.SetPos(percent);
    progress_.SetText(text);
}

void CPhotoBrowserDlg::SetProgressText(const std::string& text)
{
    progress_.SetText(text);
}

void CPhotoBrowserDlg::HideProgress()
{
    progress_.SetPos(0);
    progress_.SetText(static_cast<const char*>(nullptr));
    progress_.SetVisible(false);
}

void CPhotoBrowserDlg::progress(int percent)
{
    if (percent > progressThreshold_) {
        RedrawWindow(nullptr, nullptr, ui::RDW_INVALIDATE | ui::RDW_UPDATENOW | ui::RDW_ALLCHILDREN);
        progressThreshold_ += 10;
    }
    progress_.SetPos(percent);
}

}  // namespace qm::panel
