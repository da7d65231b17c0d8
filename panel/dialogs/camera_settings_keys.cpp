// Keyboard use of the camera settings dialog. Its buttons are drawn by the
// panel and take no keys of their own, so the dialog gives them a Tab order
// in row order, lets Space choose an option or step a digit, Up and Down
// step digits and whole values, makes Enter mean OK everywhere but on
// Cancel, and frames the button that has the focus.
#include "panel/dialogs/camera_settings_dlg.h"

#include <algorithm>

#include "device/entry/driver_entry.h"
#include "platform/ui/input/keys.h"

namespace qm::panel {
namespace {

constexpr int kFrameMargin = 2;

bool isChildOf(ui::HWND parent, ui::HWND window) { return window != nullptr && ui::IsChild(parent, window); }

}  // namespace

void CCameraSettingsDlg::setUpKeyboard()
{
    tabOrder_.clear();
    for (const Setting& setting : settings_) {
        if (setting.options) {
            for (int i = 0; i < setting.options->count(); ++i)
                tabOrder_.push_back(setting.options->item(i)->m_hWnd);
        } else if (setting.entry.id == device::kSettingCameraDate && date_) {
            for (ui::CWnd* button : date_->buttons())
                tabOrder_.push_back(button->m_hWnd);
        } else if (setting.entry.id == device::kSettingCameraTime && time_) {
            for (ui::CWnd* button : time_->buttons())
                tabOrder_.push_back(button->m_hWnd);
        } else if (setting.entry.id == device::kSettingAutoOffTime && minutes_) {
            for (ui::CWnd* button : minutes_->buttons())
                tabOrder_.push_back(button->m_hWnd);
        }
    }
    tabOrder_.push_back(ok_.m_hWnd);
    tabOrder_.push_back(cancel_.m_hWnd);
    tabOrder_.erase(std::remove(tabOrder_.begin(), tabOrder_.end(), nullptr), tabOrder_.end());

    ui::HWND previous = nullptr;
    for (ui::HWND button : tabOrder_) {
        const auto style = ui::DWORD(ui::GetWindowLongPtr(button, ui::GWL_STYLE));
        // BS_NOTIFY: the buttons tell the dialog when they gain and lose the
        // focus, so it can move the frame.
        ui::SetWindowLongPtr(button, ui::GWL_STYLE, ui::LONG_PTR(style | ui::WS_TABSTOP | ui::BS_NOTIFY));
        if (previous != nullptr)
            ui::SetWindowPos(button, previous, 0, 0, 0, 0,
                             ui::SWP_NOMOVE | ui::SWP_NOSIZE | ui::SWP_NOACTIVATE | ui::SWP_NOREDRAW);
        previous = button;
    }
    const auto first = std::find_if(tabOrder_.begin(), tabOrder_.end(),
                                    [](ui::HWND button) { return ui::IsWindowVisible(button) != ui::FALSE; });
    if (first != tabOrder_.end())
        ui::SetFocus(*first);
}

NumberControl* CCameraSettingsDlg::numberControlOf(ui::HWND button) const
{
    for (NumberControl* control : {static_cast<NumberControl*>(date_.get()), static_cast<NumberControl*>(time_.get()),
                                   static_cast<NumberControl*>(minutes_.get())}) {
        if (control == nullptr)
            continue;
        for (ui::CWnd* part : control->buttons())
            if (part->m_hWnd == button)
                return control;
    }
    return nullptr;
}

bool CCameraSettingsDlg::handleKey(ui::HWND target, ui::UINT key)
{
    if (key == ui::VK_RETURN) {
        const int id = target == cancel_.m_hWnd ? ui::IDCANCEL : ui::IDOK;
        SendMessage(ui::WM_COMMAND, ui::MAKEWPARAM(id, ui::BN_CLICKED), 0);
        return true;
    }
    ui::CWnd* control = ui::CWnd::FromHandlePermanent(target);
    if (auto* option = dynamic_cast<CChoiceButton*>(control); option != nullptr && option->group() != nullptr) {
        if (key != ui::VK_SPACE)
            return false;
        if (option->activity() != CChoiceButton::kInactive && !option->down()) {
            option->setDown(true);
            option->group()->itemToggled(option);
        }
        return true;
    }
    NumberControl* number = numberControlOf(target);
    if (number == nullptr)
        return false;
    const bool up = key == ui::VK_UP || key == ui::VK_SPACE;
    if (!up && key != ui::VK_DOWN)
        return false;
    if (auto* digit = dynamic_cast<CDigitButton*>(control)) {
        const int span = digit->highest() - digit->lowest() + 1;
        const int offset = digit->digit() - digit->lowest() + (up ? 1 : -1);
        digit->setDigit(digit->lowest() + ((offset % span) + span) % span);
    } else if (auto* repeat = dynamic_cast<CRepeatButton*>(control)) {
        // Space does what a click does; Up and Down go their own way.
        const int step = key == ui::VK_SPACE ? repeat->step() : (up ? 1 : -1);
        number->changeBy(step);
    }
    return true;
}

ui::BOOL CCameraSettingsDlg::PreTranslateMessage(ui::MSG* msg)
{
    if (msg->message == ui::WM_KEYDOWN && isChildOf(m_hWnd, msg->hwnd) && handleKey(msg->hwnd, ui::UINT(msg->wParam)))
        return ui::TRUE;
    return CStripDialog::PreTranslateMessage(msg);
}

ui::BOOL CCameraSettingsDlg::OnCommand(ui::WPARAM wParam, ui::LPARAM lParam)
{
    const ui::WORD code = ui::HIWORD(wParam);
    if (code == ui::BN_SETFOCUS || code == ui::BN_KILLFOCUS) {
        invalidateFocusFrame(reinterpret_cast<ui::HWND>(lParam));
        return ui::TRUE;
    }
    const int id = ui::LOWORD(wParam);
    if (code == ui::BN_CLICKED && id != ui::IDOK && id != ui::IDCANCEL)
        return ui::TRUE;  // the buttons act on their own presses
    return CStripDialog::OnCommand(wParam, lParam);
}

void CCameraSettingsDlg::invalidateFocusFrame(ui::HWND control)
{
    if (!isChildOf(m_hWnd, control))
        return;
    ui::CRect frame;
    ui::GetWindowRect(control, &frame);
    ScreenToClient(&frame);
    frame.InflateRect(kFrameMargin + 1, kFrameMargin + 1);
    InvalidateRect(&frame, ui::FALSE);
}

void CCameraSettingsDlg::paintFocusFrame(ui::CDC& dc)
{
    const ui::HWND focus = ui::GetFocus();
    if (!isChildOf(m_hWnd, focus) || !ui::IsWindowVisible(focus))
        return;
    ui::CRect frame;
    ui::GetWindowRect(focus, &frame);
    ScreenToClient(&frame);
    frame.InflateRect(kFrameMargin, kFrameMargin);
    dc.DrawFocusRect(&frame);
}

}  // namespace qm::panel
