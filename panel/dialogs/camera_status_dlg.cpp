#include "panel/dialogs/camera_status_dlg.h"

#include <algorithm>
#include <cstring>

#include "panel/browser/photo_browser_dlg.h"
#include "panel/dialogs/dialog_font.h"
#include "panel/entry/panel_globals.h"
#include "panel/resources/panel_resources.h"
#include "panel/resources/resource.h"

namespace qm::panel {

IMPLEMENT_DYNAMIC(CCameraStatusDlg, CStripDialog)

namespace {

using namespace device;

std::size_t indexOf(std::uint32_t bit)
{
    // Both capacity bits show the one capacity text.
    if (bit == kStatusCapacityKb)
        bit = kStatusCapacityMb;
    return std::size_t(std::find(kStatusOrder.begin(), kStatusOrder.end(), bit) - kStatusOrder.begin());
}

std::optional<std::uint32_t> read(std::uint32_t code, void* data = nullptr)
{
    std::uint32_t value = 0;
    if (!driverLink().call(kTypeReadValue, code, &value, data))
        return std::nullopt;
    return value;
}

}  // namespace

CCameraStatusDlg::CCameraStatusDlg(std::uint32_t mask, ui::CWnd* parent)
    : CStripDialog(IDD_CAMERA_STATUS, parent, statusStripCount(mask)), mask_(mask)
{
    values_.fill(panelString(IDS_NOT_AVAILABLE));
}

std::string& CCameraStatusDlg::valueOf(std::uint32_t bit)
{
    return values_[std::min(indexOf(bit), values_.size() - 1)];
}

const std::string& CCameraStatusDlg::value(std::uint32_t bit) const
{
    return values_[std::min(indexOf(bit), values_.size() - 1)];
}

ui::BOOL CCameraStatusDlg::OnInitDialog()
{
    CStripDialog::OnInitDialog();
    if (ui::CWnd* exit = GetDlgItem(IDC_STATUS_EXIT))
        exit->ShowWindow(ui::SW_HIDE);
    if (panelState().camera.connected == 1)
        queryCamera();
    return ui::TRUE;
}

void CCameraStatusDlg::queryCamera()
{
    for (std::uint32_t bit : kStatusOrder) {
        if ((mask_ & bit) == 0)
            continue;
        std::optional<std::string> text;
        switch (bit) {
        case kStatusCapacityMb:
        case kStatusCapacityKb:
            if (const auto amount = read(kReadMemoryMegabytes))
                text = capacityText(*amount, bit == kStatusCapacityKb);
            break;
        case kStatusBattery:
            if (const auto condition = read(kReadBatteryCondition))
                text = batteryText(*condition);
            break;
        case kStatusAcAdapter:
            if (const auto state = read(kReadAcAdapter))
                text = acAdapterText(*state);
            break;
        case kStatusAutoOff:
            if (const auto seconds = read(kReadAutoOffSeconds))
                text = autoOffText(*seconds);
            break;
        case kStatusMode:
            if (const auto mode = read(kReadCameraMode))
                text = modeText(*mode);
            break;
        case kStatusImages: {
            const auto free = read(kReadPicturesFree);
            const auto stored = read(kReadPicturesStored);
            if (free && stored)
                text = imagesText(*stored, *free);
            break;
        }
        case kStatusPort:
            if (const auto index = read(kReadSpeedIndex))
                text = portText(*index);
            break;
        case kStatusFirmware: {
            char version[kVersionTextSize + 1] = {};
            if (const auto number = read(kReadFirmwareVersion, version))
                text = firmwareText(*number, std::string(version, strnlen(version, kVersionTextSize)));
            break;
        }
        default:
            break;
        }
        if (text)
            valueOf(bit) = *text;
    }
}

std::vector<CCameraStatusDlg::Line> CCameraStatusDlg::lines() const
{
    std::vector<Line> shown;
    for (std::uint32_t bit : kStatusOrder) {
        if ((mask_ & bit) == 0 || bit == kStatusFirmware)
            continue;
        shown.push_back({statusLabel(bit, value(bit)), value(bit)});
    }
    return shown;
}

void CCameraStatusDlg::paintContent(ui::CDC& dc)
{
    ui::HGDIOBJ oldFont = dc.SelectObject(&dialogFont());
    dc.SetBkMode(ui::TRANSPARENT);
    dc.SetTextColor(ui::RGB(0, 0, 0));
    int y = kFirstLineY;
    for (const Line& line : lines()) {
        dc.TextOut(kLabelX, y, line.label);
        dc.TextOut(kValueX, y, line.value);
        y += kLineHeight;
    }
    dc.SelectObject(oldFont);
}

ui::BOOL CCameraStatusDlg::OnCommand(ui::WPARAM wParam, ui::LPARAM lParam)
{
    if (ui::LOWORD(wParam) == IDC_STATUS_EXIT && ui::HIWORD(wParam) == ui::BN_CLICKED) {
        EndDialog(ui::IDOK);
        return ui::TRUE;
    }
    return CStripDialog::OnCommand(wParam, lParam);
}

void CCameraStatusDlg::OnLButtonDown(ui::UINT, ui::CPoint) { EndDialog(ui::IDOK); }

void showCameraStatus(CPhotoBrowserDlg& browser)
{
    if (!browser.BeginDialog(kDialogCameraStatus))
        return;
    CCameraStatusDlg dialog(browser.driverInfo().statusLineMask(), &browser);
    dialog.DoModal();
    browser.setCurrentDialog(kDialogNone);
}

}  // namespace qm::panel
