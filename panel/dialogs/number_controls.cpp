#include "panel/dialogs/number_controls.h"

#include <algorithm>

#include "panel/resources/resource.h"

namespace qm::panel {
namespace {

// Digits sit 2 pixels above a row's text line, up and down buttons beside
// them one above the other.
constexpr int kDigitRise = 2;
constexpr int kRepeatGap = 4;

// Up and down buttons, one pair per control.
constexpr ui::UINT kDateUp = IDC_FIRST_REPEAT;
constexpr ui::UINT kDateDown = IDC_FIRST_REPEAT + 1;
constexpr ui::UINT kTimeUp = IDC_FIRST_REPEAT + 6;
constexpr ui::UINT kTimeDown = IDC_FIRST_REPEAT + 7;
constexpr ui::UINT kMinutesUp = IDC_LAST_REPEAT - 1;
constexpr ui::UINT kMinutesDown = IDC_LAST_REPEAT;

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
long long daysFromCivil(long long year, int month, int day)
{
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CalendarDate civilFromDays(long long days)
{
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long shifted = (5 * dayOfYear + 2) / 153;
    const int day = int(dayOfYear - (153 * shifted + 2) / 5 + 1);
    const int month = int(shifted < 10 ? shifted + 3 : shifted - 9);
    return {int(yearOfEra + era * 400 + (month <= 2)), month, day};
}

int split(int value, int divisor) { return (value / divisor) % 10; }

}  // namespace

int daysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

CalendarDate validDate(CalendarDate date)
{
    date.month = std::clamp(date.month, 1, 12);
    date.day = std::clamp(date.day, 1, daysInMonth(date.year, date.month));
    return date;
}

CalendarDate addDays(CalendarDate date, int days)
{
    date = validDate(date);
    return civilFromDays(daysFromCivil(date.year, date.month, date.day) + days);
}

ClockTime validTime(ClockTime time)
{
    return {std::clamp(time.hour, 0, 23), std::clamp(time.minute, 0, 59), std::clamp(time.second, 0, 59)};
}

bool DigitRun::attach(ui::CWnd* dialog, const std::vector<Digit>& digits, int y)
{
    for (const Digit& digit : digits) {
        auto button = std::make_unique<CDigitButton>();
        if (!button->attach(dialog, digit.id))
            return false;
        button->setRange(digit.lowest, digit.highest);
        button->setRepaintWindow(dialog);
        button->moveTo(digit.x, y);
        digits_.push_back(std::move(button));
    }
    return true;
}

int DigitRun::value() const
{
    int value = 0;
    for (const auto& digit : digits_)
        value = value * 10 + digit->digit();
    return value;
}

void DigitRun::setValue(int value)
{
    value = std::max(value, 0);
    int divisor = 1;
    for (std::size_t i = 1; i < digits_.size(); ++i)
        divisor *= 10;
    for (auto& digit : digits_) {
        digit->setDigit(split(value, divisor));
        divisor /= 10;
    }
}

void DigitRun::show(bool shown) const
{
    for (auto& digit : digits_)
        digit->ShowWindow(shown ? ui::SW_SHOW : ui::SW_HIDE);
}

std::vector<CDigitButton*> DigitRun::buttons() const
{
    std::vector<CDigitButton*> out;
    for (const auto& digit : digits_)
        out.push_back(digit.get());
    return out;
}

bool NumberControl::attachRepeat(ui::CWnd* dialog, ui::UINT upId, ui::UINT downId, int x, int y)
{
    up_ = std::make_unique<CRepeatButton>();
    down_ = std::make_unique<CRepeatButton>();
    if (!up_->attach(dialog, upId) || !down_->attach(dialog, downId))
        return false;
    up_->setBitmap(IDB_REPEAT_UP);
    down_->setBitmap(IDB_REPEAT_DOWN);
    up_->setTarget(this);
    down_->setTarget(this);
    // The down button counts down with the left mouse button (and up with
    // the right one).
    down_->setStep(-1);
    up_->moveTo(x, y - kDigitRise);
    down_->moveTo(x, y - kDigitRise + CRepeatButton::kSide + 1);
    return true;
}

void NumberControl::show(bool shown)
{
    for (const DigitRun* run : runs())
        run->show(shown);
    for (CRepeatButton* button : {up_.get(), down_.get()})
        if (button != nullptr && button->m_hWnd != nullptr)
            button->ShowWindow(shown ? ui::SW_SHOW : ui::SW_HIDE);
}

std::vector<ui::CWnd*> NumberControl::buttons() const
{
    std::vector<ui::CWnd*> out;
    for (const DigitRun* run : runs())
        for (CDigitButton* digit : run->buttons())
            out.push_back(digit);
    out.push_back(upButton());
    out.push_back(downButton());
    return out;
}

// The date: year digits at 200, 215, 230 and 245, month at 264 and 279, day
// at 298 and 313.
bool DateControl::attach(ui::CWnd* dialog, int rowY)
{
    const int y = rowY - kDigitRise;
    return year_.attach(dialog,
                        {{IDC_YEAR_DIGIT_1, 200, 1, 2},
                         {IDC_YEAR_DIGIT_1 + 1, 215, 0, 9},
                         {IDC_YEAR_DIGIT_1 + 2, 230, 0, 9},
                         {IDC_YEAR_DIGIT_1 + 3, 245, 0, 9}},
                        y) &&
           month_.attach(dialog, {{IDC_MONTH_DIGIT_1, 264, 0, 1}, {IDC_MONTH_DIGIT_1 + 1, 279, 0, 9}}, y) &&
           day_.attach(dialog, {{IDC_DAY_DIGIT_1, 298, 0, 3}, {IDC_DAY_DIGIT_1 + 1, 313, 0, 9}}, y) &&
           attachRepeat(dialog, kDateUp, kDateDown, 313 + CDigitButton::kWidth + kRepeatGap, rowY);
}

CalendarDate DateControl::date() const { return {year_.value(), month_.value(), day_.value()}; }

void DateControl::setDate(const CalendarDate& date)
{
    year_.setValue(date.year);
    month_.setValue(date.month);
    day_.setValue(date.day);
}

void DateControl::changeBy(int step)
{
    const CalendarDate next = addDays(date(), step);
    if (next.year >= 1000 && next.year <= 2999)
        setDate(next);
}

// The time: hour digits at 200 and 215, minute at 234 and 249, second at
// 268 and 283.
bool TimeControl::attach(ui::CWnd* dialog, int rowY)
{
    const int y = rowY - kDigitRise;
    return hour_.attach(dialog, {{IDC_HOUR_DIGIT_1, 200, 0, 2}, {IDC_HOUR_DIGIT_1 + 1, 215, 0, 9}}, y) &&
           minute_.attach(dialog, {{IDC_MINUTE_DIGIT_1, 234, 0, 5}, {IDC_MINUTE_DIGIT_1 + 1, 249, 0, 9}}, y) &&
           second_.attach(dialog, {{IDC_SECOND_DIGIT_1, 268, 0, 5}, {IDC_SECOND_DIGIT_1 + 1, 283, 0, 9}}, y) &&
           attachRepeat(dialog, kTimeUp, kTimeDown, 283 + CDigitButton::kWidth + kRepeatGap, rowY);
}

ClockTime TimeControl::time() const { return {hour_.value(), minute_.value(), second_.value()}; }

void TimeControl::setTime(const ClockTime& time)
{
    hour_.setValue(time.hour);
    minute_.setValue(time.minute);
    second_.setValue(time.second);
}

void TimeControl::changeBy(int step)
{
    constexpr int kMinutesPerDay = 24 * 60;
    const ClockTime now = validTime(time());
    const int minutes = ((now.hour * 60 + now.minute + step) % kMinutesPerDay + kMinutesPerDay) % kMinutesPerDay;
    setTime({minutes / 60, minutes % 60, now.second});
}

// The power-off minutes: digits at 200 and 215.
bool MinutesControl::attach(ui::CWnd* dialog, int rowY)
{
    const int y = rowY - kDigitRise;
    return digits_.attach(dialog, {{IDC_AUTO_OFF_DIGIT_1, 200, 0, 5}, {IDC_AUTO_OFF_DIGIT_1 + 1, 215, 0, 9}}, y) &&
           attachRepeat(dialog, kMinutesUp, kMinutesDown, 215 + CDigitButton::kWidth + kRepeatGap, rowY);
}

int MinutesControl::minutes() const { return std::clamp(digits_.value(), kLowest, kHighest); }

void MinutesControl::setMinutes(int minutes) { digits_.setValue(std::clamp(minutes, kLowest, kHighest)); }

void MinutesControl::changeBy(int step) { setMinutes(minutes() + step); }

}  // namespace qm::panel
