// The camera settings dialog: one row per setting the device module
// describes (option groups for flash, self timer, LCD and icon display,
// quality and line speed; digits for the camera's date and time and the
// power-off minutes), read from the camera when it opens and written back
// at OK where the user changed them. Without full settings it offers the
// line speed alone.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "panel/controls/check_box.h"
#include "panel/controls/choice_button.h"
#include "panel/dialogs/number_controls.h"
#include "panel/dialogs/settings_description.h"
#include "panel/dialogs/speed_classes.h"
#include "panel/dialogs/strip_dialog.h"

namespace qm::panel {

class CPhotoBrowserDlg;

class CCameraSettingsDlg : public CStripDialog {
    DECLARE_DYNAMIC(CCameraSettingsDlg)
public:
    // What OK did.
    enum Result : int { kCameraGone = 0, kApplied = 1, kWriteFailed = -1 };

    static constexpr int kFirstRowY = 38;
    static constexpr int kRowHeight = 28;
    static constexpr int kNameX = 50;
    static constexpr int kChoiceX = 200;
    static constexpr int kChoiceStep = 80;
    static constexpr int kButtonGap = 14;
    static constexpr int kOkX = 200;
    static constexpr int kCancelX = 300;

    // `browser` answers the connection test at OK.
    CCameraSettingsDlg(bool fullSettings, CPhotoBrowserDlg* browser);
    ~CCameraSettingsDlg() override;

    bool fullSettings() const { return full_; }
    int result() const { return result_; }
    bool speedChanged() const { return speedChanged_; }
    const SettingsDescription& description() const { return description_; }

    // The controls, for whoever drives the dialog (null when not shown).
    CCheckBox* options(std::uint32_t settingId) const;
    DateControl* dateControl() const;
    TimeControl* timeControl() const;
    MinutesControl* minutesControl() const;
    CChoiceButton& okButton() { return ok_; }
    CChoiceButton& cancelButton() { return cancel_; }
    // The names painted, in row order.
    std::vector<std::string> shownNames() const;
    // The rows' y, by setting id; nothing for a setting not shown.
    std::optional<int> rowOf(std::uint32_t settingId) const;

protected:
    ui::BOOL OnInitDialog() override;
    void OnOK() override;
    ui::BOOL OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) override;
    ui::BOOL PreTranslateMessage(ui::MSG* msg) override;
    void paintContent(ui::CDC& dc) override;

private:
    // One row of the dialog.
    struct Setting {
        SettingEntry entry;
        int row = 0;
        std::uint32_t value = 0;  // as read from the camera
        bool valid = false;  // the read worked
        std::unique_ptr<CCheckBox> options;
    };

    bool shows(std::uint32_t settingId) const;
    void createControls();
    void createOptions(Setting& setting);
    void hideUnusedControls();
    void readSettings();
    void readSetting(Setting& setting);
    void readClock();
    void readLineSpeed(Setting& setting);
    void showSetting(Setting& setting);
    void applySettings(bool cameraAnswers);
    void applySetting(Setting& setting);
    void applyClock();
    bool write(std::uint32_t code, std::uint32_t value);
    Setting* find(std::uint32_t settingId);
    const Setting* find(std::uint32_t settingId) const;

    // Keyboard use (camera_settings_keys.cpp): the Tab order in row order,
    // Space on an option chooses it, Up and Down step digits and values,
    // Enter is OK, and a frame shows which button has the focus.
    void setUpKeyboard();
    bool handleKey(ui::HWND target, ui::UINT key);
    NumberControl* numberControlOf(ui::HWND button) const;
    void invalidateFocusFrame(ui::HWND control);
    void paintFocusFrame(ui::CDC& dc);

    bool full_;
    CPhotoBrowserDlg* browser_;
    SettingsDescription description_;
    SpeedClasses speedClasses_;
    std::vector<Setting> settings_;
    std::unique_ptr<DateControl> date_;
    std::unique_ptr<TimeControl> time_;
    std::unique_ptr<MinutesControl> minutes_;
    CalendarDate dateRead_;
    ClockTime timeRead_;
    bool clockValid_ = false;
    CChoiceButton ok_;
    CChoiceButton cancel_;
    std::vector<ui::HWND> tabOrder_;
    int result_ = kApplied;
    bool speedChanged_ = false;
};

}  // namespace qm::panel
