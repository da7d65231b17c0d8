#include "panel/dialogs/camera_settings_dlg.h"

#include <algorithm>
#include <array>

#include "panel/browser/photo_browser_dlg.h"
#include "panel/dialogs/dialog_font.h"
#include "panel/entry/panel_globals.h"
#include "panel/resources/panel_resources.h"
#include "panel/resources/resource.h"
#include "platform/system/byte_order.h"

namespace qm::panel {

IMPLEMENT_DYNAMIC(CCameraSettingsDlg, CStripDialog)

namespace {

using namespace device;

// How each option setting is read and written, and the buttons of its
// choices in choice order.
struct OptionCodes {
    std::uint32_t id;
    std::uint32_t read;
    std::uint32_t write;
    bool pauseAfterFailure;  // reads that wait as the connection test does
    std::array<ui::UINT, 3> buttons;
    std::size_t buttonCount;
};

constexpr OptionCodes kOptionCodes[] = {
    {kSettingFlashMode, kReadFlashMode, kSetFlashMode, false, {IDC_FLASH_1, IDC_FLASH_2, IDC_FLASH_3}, 3},
    {kSettingSelfTimer, kReadSelfTimer, kSetSelfTimer, true, {IDC_TIMER_1, IDC_TIMER_2}, 2},
    {kSettingLcdDisplay, kReadLcdDisplay, kSetLcdDisplay, true, {IDC_LCD_1, IDC_LCD_2}, 2},
    {kSettingIconDisplay, kReadIconDisplay, kSetIconDisplay, true, {IDC_ICON_1, IDC_ICON_2}, 2},
    {kSettingQualityMode, kReadQualityMode, kSetQualityMode, true, {IDC_QUALITY_1, IDC_QUALITY_2, IDC_QUALITY_3}, 3},
    {kSettingLineSpeed, 0, kSetPreferredSpeed, false, {IDC_SPEED_SLOW, IDC_SPEED_NORMAL, IDC_SPEED_FAST}, 3},
};

const OptionCodes* optionCodes(std::uint32_t id)
{
    for (const OptionCodes& codes : kOptionCodes)
        if (codes.id == id)
            return &codes;
    return nullptr;
}

bool isClock(std::uint32_t id) { return id == kSettingCameraDate || id == kSettingCameraTime; }

// Option buttons are 64 x 24 and sit 3 pixels above their row's text line.
constexpr ui::SIZE kOptionSize{64, 24};
constexpr int kOptionRise = 3;

// Years the cameras of the family can all hold; a year the user changed is
// kept within them.
constexpr int kFirstSettableYear = 2000;
constexpr int kLastSettableYear = 2155;

std::optional<std::uint32_t> readValue(std::uint32_t code, bool pauseAfterFailure)
{
    std::uint32_t value = 0;
    const bool read = pauseAfterFailure ? driverLink().callWithPause(kTypeReadValue, code, &value)
                                        : driverLink().call(kTypeReadValue, code, &value);
    return read ? std::optional<std::uint32_t>(value) : std::nullopt;
}

struct TimeRecord {
    std::array<std::uint8_t, time_record::kSize> bytes{};

    std::uint32_t at(std::size_t offset) const { return sys::readLe32(bytes.data() + offset); }
    void set(std::size_t offset, int value) { sys::writeLe32(bytes.data() + offset, std::uint32_t(value)); }
};

TimeRecord recordOf(const CalendarDate& date, const ClockTime& time)
{
    TimeRecord record;
    record.set(time_record::kYear, date.year);
    record.set(time_record::kMonth, date.month);
    record.set(time_record::kDay, date.day);
    record.set(time_record::kHour, time.hour);
    record.set(time_record::kMinute, time.minute);
    record.set(time_record::kSecond, time.second);
    return record;
}

std::optional<TimeRecord> readClockRecord()
{
    TimeRecord record;
    if (!driverLink().callWithPause(kTypeReadValue, kReadDateTimePlain, record.bytes.data()))
        return std::nullopt;
    return record;
}

}  // namespace

CCameraSettingsDlg::CCameraSettingsDlg(bool fullSettings, CPhotoBrowserDlg* browser)
    : CStripDialog(IDD_CAMERA_SETTINGS, browser), full_(fullSettings), browser_(browser)
{
}

CCameraSettingsDlg::~CCameraSettingsDlg() = default;

bool CCameraSettingsDlg::shows(std::uint32_t settingId) const { return full_ || settingId == kSettingLineSpeed; }

ui::BOOL CCameraSettingsDlg::OnInitDialog()
{
    description_ = readSettingsDescription().value_or(SettingsDescription{});
    speedClasses_ = readSpeedClasses();
    const int entries = int(description_.entries.size());
    setStripCount(full_ ? int(entries * 0.8 + 3) : 3);
    CStripDialog::OnInitDialog();
    createControls();
    hideUnusedControls();
    readSettings();
    setUpKeyboard();
    return ui::FALSE;  // the keyboard set-up put the focus on the first button
}

void CCameraSettingsDlg::createControls()
{
    int row = kFirstRowY;
    for (const SettingEntry& entry : description_.entries) {
        if (!shows(entry.id))
            continue;
        Setting setting;
        setting.entry = entry;
        setting.row = row;
        // An entry the dialog has no control for still takes its row, so
        // the rows match the strips made for the entries.
        if (optionCodes(entry.id) != nullptr) {
            createOptions(setting);
        } else if (entry.id == kSettingCameraDate && !date_) {
            date_ = std::make_unique<DateControl>();
            if (!date_->attach(this, row))
                date_.reset();
        } else if (entry.id == kSettingCameraTime && !time_) {
            time_ = std::make_unique<TimeControl>();
            if (!time_->attach(this, row))
                time_.reset();
        } else if (entry.id == kSettingAutoOffTime && !minutes_) {
            minutes_ = std::make_unique<MinutesControl>();
            if (!minutes_->attach(this, row))
                minutes_.reset();
        }
        settings_.push_back(std::move(setting));
        row += kRowHeight;
    }

    const int buttonsY = row + kButtonGap - kOptionRise;
    const std::string okText = description_.okText.empty() ? GetDlgItemText(ui::IDOK) : description_.okText;
    const std::string cancelText =
        description_.cancelText.empty() ? GetDlgItemText(ui::IDCANCEL) : description_.cancelText;
    if (ok_.attach(this, ui::IDOK, okText)) {
        ok_.setFont(dialogFont());
        ok_.MoveWindow(kOkX, buttonsY, kOptionSize.cx, kOptionSize.cy);
    }
    if (cancel_.attach(this, ui::IDCANCEL, cancelText)) {
        cancel_.setFont(dialogFont());
        cancel_.MoveWindow(kCancelX, buttonsY, kOptionSize.cx, kOptionSize.cy);
    }
}

void CCameraSettingsDlg::createOptions(Setting& setting)
{
    const OptionCodes& codes = *optionCodes(setting.entry.id);
    const std::size_t count = std::min(setting.entry.choices.size(), codes.buttonCount);
    if (count == 0)
        return;
    const std::vector<ui::UINT> ids(codes.buttons.begin(), codes.buttons.begin() + long(count));
    const std::vector<std::string> texts(setting.entry.choices.begin(), setting.entry.choices.begin() + long(count));
    CCheckBox::Layout layout;
    layout.origin = {kChoiceX, setting.row - kOptionRise};
    layout.step = {kChoiceStep, 0};
    layout.size = kOptionSize;
    auto group = std::make_unique<CCheckBox>();
    if (!group->Create(this, ids, texts, layout))
        return;
    group->setFont(dialogFont());
    setting.options = std::move(group);
}

void CCameraSettingsDlg::hideUnusedControls()
{
    std::vector<ui::HWND> used{ok_.m_hWnd, cancel_.m_hWnd};
    for (const Setting& setting : settings_) {
        if (setting.options) {
            used.push_back(setting.options->m_hWnd);
            for (int i = 0; i < setting.options->count(); ++i)
                used.push_back(setting.options->item(i)->m_hWnd);
        }
    }
    for (NumberControl* control : {static_cast<NumberControl*>(date_.get()), static_cast<NumberControl*>(time_.get()),
                                   static_cast<NumberControl*>(minutes_.get())}) {
        if (control != nullptr)
            for (ui::CWnd* button : control->buttons())
                used.push_back(button->m_hWnd);
    }
    for (ui::HWND child = ui::GetWindow(m_hWnd, ui::GW_CHILD); child; child = ui::GetWindow(child, ui::GW_HWNDNEXT))
        if (std::find(used.begin(), used.end(), child) == used.end())
            ui::ShowWindow(child, ui::SW_HIDE);
}

CCameraSettingsDlg::Setting* CCameraSettingsDlg::find(std::uint32_t settingId)
{
    for (Setting& setting : settings_)
        if (setting.entry.id == settingId)
            return &setting;
    return nullptr;
}

const CCameraSettingsDlg::Setting* CCameraSettingsDlg::find(std::uint32_t settingId) const
{
    return const_cast<CCameraSettingsDlg*>(this)->find(settingId);
}

CCheckBox* CCameraSettingsDlg::options(std::uint32_t settingId) const
{
    const Setting* setting = find(settingId);
    return setting != nullptr ? setting->options.get() : nullptr;
}

DateControl* CCameraSettingsDlg::dateControl() const { return date_.get(); }
TimeControl* CCameraSettingsDlg::timeControl() const { return time_.get(); }
MinutesControl* CCameraSettingsDlg::minutesControl() const { return minutes_.get(); }

std::vector<std::string> CCameraSettingsDlg::shownNames() const
{
    std::vector<std::string> names;
    for (const Setting& setting : settings_)
        names.push_back(setting.entry.name);
    return names;
}

std::optional<int> CCameraSettingsDlg::rowOf(std::uint32_t settingId) const
{
    const Setting* setting = find(settingId);
    return setting != nullptr ? std::optional<int>(setting->row) : std::nullopt;
}

void CCameraSettingsDlg::readSettings()
{
    if (find(kSettingCameraDate) != nullptr || find(kSettingCameraTime) != nullptr)
        readClock();
    for (Setting& setting : settings_) {
        readSetting(setting);
        showSetting(setting);
    }
}

void CCameraSettingsDlg::readClock()
{
    const std::optional<TimeRecord> record = readClockRecord();
    clockValid_ = record.has_value();
    dateRead_ = {};
    timeRead_ = {};
    if (!record)
        return;
    dateRead_ = {int(record->at(time_record::kYear)), int(record->at(time_record::kMonth)),
                 int(record->at(time_record::kDay))};
    timeRead_ = {int(record->at(time_record::kHour)), int(record->at(time_record::kMinute)),
                 int(record->at(time_record::kSecond))};
}

void CCameraSettingsDlg::readSetting(Setting& setting)
{
    const std::uint32_t id = setting.entry.id;
    std::optional<std::uint32_t> value;
    if (id == kSettingLineSpeed) {
        readLineSpeed(setting);
        return;
    }
    if (const OptionCodes* codes = optionCodes(id)) {
        value = readValue(codes->read, codes->pauseAfterFailure);
    } else if (isClock(id)) {
        setting.valid = clockValid_;
        return;
    } else if (id == kSettingAutoOffTime) {
        if (const auto seconds = readValue(kReadAutoOffSeconds, false))
            value = *seconds / 60;
    }
    setting.valid = value.has_value();
    setting.value = value.value_or(0);
}

void CCameraSettingsDlg::readLineSpeed(Setting& setting)
{
    std::optional<std::uint32_t> rate;
    if (panelState().camera.connected == 1) {
        if (const auto index = readValue(kReadSpeedIndex, false))
            rate = speedTableRate(*index);
    }
    if (!rate)
        rate = readValue(kReadPreferredSpeed, false);
    setting.valid = rate.has_value();
    setting.value = rate ? std::uint32_t(speedClasses_.classFor(*rate)) : 0;
}

void CCameraSettingsDlg::showSetting(Setting& setting)
{
    const std::uint32_t id = setting.entry.id;
    if (setting.options) {
        setting.options->showCameraValue(int(setting.value), setting.valid);
    } else if (id == kSettingCameraDate && date_) {
        date_->setDate(dateRead_);
        date_->show(setting.valid);
    } else if (id == kSettingCameraTime && time_) {
        time_->setTime(timeRead_);
        time_->show(setting.valid);
    } else if (id == kSettingAutoOffTime && minutes_) {
        minutes_->setMinutes(int(setting.value));
        minutes_->show(setting.valid);
    }
}

void CCameraSettingsDlg::OnOK()
{
    ok_.setDown(true);
    ok_.UpdateWindow();
    const bool answers = browser_ != nullptr && browser_->IsConnected();
    if (!answers)
        result_ = kCameraGone;
    applySettings(answers);
    CStripDialog::OnOK();
}

void CCameraSettingsDlg::applySettings(bool cameraAnswers)
{
    bool clockApplied = false;
    for (Setting& setting : settings_) {
        // The line speed is a preference of this computer and needs no
        // camera; everything else goes to a camera that answers.
        if (setting.entry.id != kSettingLineSpeed && (!full_ || !cameraAnswers))
            continue;
        if (setting.entry.id == kSettingLineSpeed && full_ && !cameraAnswers)
            continue;
        if (isClock(setting.entry.id)) {
            if (!clockApplied)
                applyClock();
            clockApplied = true;
            continue;
        }
        applySetting(setting);
    }
}

bool CCameraSettingsDlg::write(std::uint32_t code, std::uint32_t value)
{
    if (driverLink().call(kTypeSetValue, code, &value))
        return true;
    result_ = kWriteFailed;
    return false;
}

void CCameraSettingsDlg::applySetting(Setting& setting)
{
    const std::uint32_t id = setting.entry.id;
    std::uint32_t chosen = 0;
    if (setting.options)
        chosen = std::uint32_t(setting.options->value());
    else if (id == kSettingAutoOffTime && minutes_ && setting.valid)
        chosen = std::uint32_t(minutes_->minutes());
    // Nothing chosen, or what the camera has already: nothing is sent.
    if (chosen == 0 || chosen == setting.value)
        return;
    if (id == kSettingLineSpeed) {
        const std::optional<std::uint32_t> rate = speedClasses_.rateOf(int(chosen));
        if (!rate)
            return;
        if (write(kSetPreferredSpeed, *rate))
            speedChanged_ = true;
    } else if (const OptionCodes* codes = optionCodes(id)) {
        write(codes->write, chosen);
    } else if (id == kSettingAutoOffTime) {
        write(kSetAutoOffMinutes, chosen);
    } else {
        return;
    }
    readSetting(setting);
    showSetting(setting);
}

void CCameraSettingsDlg::applyClock()
{
    if (!clockValid_)
        return;
    const Setting* dateSetting = find(kSettingCameraDate);
    const Setting* timeSetting = find(kSettingCameraTime);
    const CalendarDate date = date_ && dateSetting ? date_->date() : dateRead_;
    const ClockTime time = time_ && timeSetting ? validTime(time_->time()) : timeRead_;
    bool written = false;
    if (date != dateRead_) {
        CalendarDate chosen = date;
        if (chosen.year != dateRead_.year)
            chosen.year = std::clamp(chosen.year, kFirstSettableYear, kLastSettableYear);
        chosen = validDate(chosen);
        // The new date goes with the camera's time of now, so that writing
        // the date does not set its clock back to when the dialog opened.
        const std::optional<TimeRecord> now = readClockRecord();
        const ClockTime current = now ? ClockTime{int(now->at(time_record::kHour)), int(now->at(time_record::kMinute)),
                                                  int(now->at(time_record::kSecond))}
                                      : timeRead_;
        TimeRecord record = recordOf(chosen, time != timeRead_ ? time : current);
        if (!driverLink().call(kTypeSetValue, kSetDateTime, record.bytes.data()))
            result_ = kWriteFailed;
        written = true;
    }
    if (time != timeRead_) {
        TimeRecord record = recordOf(dateRead_, time);
        if (!driverLink().call(kTypeSetValue, kSetTime, record.bytes.data()))
            result_ = kWriteFailed;
        written = true;
    }
    if (!written)
        return;
    readClock();
    for (std::uint32_t id : {std::uint32_t(kSettingCameraDate), std::uint32_t(kSettingCameraTime)}) {
        if (Setting* setting = find(id)) {
            setting->valid = clockValid_;
            showSetting(*setting);
        }
    }
}

void CCameraSettingsDlg::paintContent(ui::CDC& dc)
{
    ui::HGDIOBJ oldFont = dc.SelectObject(&dialogFont());
    dc.SetBkMode(ui::TRANSPARENT);
    dc.SetTextColor(ui::RGB(0, 0, 0));
    for (const Setting& setting : settings_)
        dc.TextOut(kNameX, setting.row, setting.entry.name);
    dc.SelectObject(oldFont);
    paintFocusFrame(dc);
}

}  // namespace qm::panel
