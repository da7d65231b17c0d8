// The number controls of the settings dialog: the camera date, the camera
// time and the automatic power-off minutes, each a row of digit buttons
// (every digit steps on by itself) and a pair of up and down buttons that
// change the whole value: the date by a day, the time by a minute, the
// power-off time by a minute within 2..59.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "panel/controls/digit_button.h"
#include "panel/controls/number_target.h"
#include "panel/controls/repeat_button.h"

namespace qm::panel {

struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
};

struct ClockTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const ClockTime&, const ClockTime&) = default;
};

// Days of a month of the Gregorian calendar (0 for a month outside 1..12).
int daysInMonth(int year, int month);
// The date made valid: month 1..12, day within its month.
CalendarDate validDate(CalendarDate date);
// The date `days` days later (earlier when negative).
CalendarDate addDays(CalendarDate date, int days);
ClockTime validTime(ClockTime time);

// A run of digit buttons read as one decimal number.
class DigitRun {
public:
    struct Digit {
        ui::UINT id;
        int x;
        int lowest;
        int highest;
    };
    bool attach(ui::CWnd* dialog, const std::vector<Digit>& digits, int y);
    int value() const;
    void setValue(int value);
    void show(bool shown) const;
    // The run's buttons, left to right.
    std::vector<CDigitButton*> buttons() const;

private:
    std::vector<std::unique_ptr<CDigitButton>> digits_;
};

// What the three controls share: digit runs, the up and down pair, showing.
class NumberControl : public NumberTarget {
public:
    ~NumberControl() override = default;
    void show(bool shown);
    // Every button of the control in Tab order: the digits left to right,
    // then up and down.
    std::vector<ui::CWnd*> buttons() const;
    CRepeatButton* upButton() const { return up_.get(); }
    CRepeatButton* downButton() const { return down_.get(); }

protected:
    bool attachRepeat(ui::CWnd* dialog, ui::UINT upId, ui::UINT downId, int x, int y);
    // The control's digit runs, left to right.
    virtual std::vector<const DigitRun*> runs() const = 0;

private:
    std::unique_ptr<CRepeatButton> up_;
    std::unique_ptr<CRepeatButton> down_;
};

class DateControl : public NumberControl {
public:
    bool attach(ui::CWnd* dialog, int rowY);
    CalendarDate date() const;
    void setDate(const CalendarDate& date);
    void changeBy(int step) override;  // days

protected:
    std::vector<const DigitRun*> runs() const override { return {&year_, &month_, &day_}; }

private:
    DigitRun year_;
    DigitRun month_;
    DigitRun day_;
};

class TimeControl : public NumberControl {
public:
    bool attach(ui::CWnd* dialog, int rowY);
    ClockTime time() const;
    void setTime(const ClockTime& time);
    void changeBy(int step) override;  // minutes, around the clock

protected:
    std::vector<const DigitRun*> runs() const override { return {&hour_, &minute_, &second_}; }

private:
    DigitRun hour_;
    DigitRun minute_;
    DigitRun second_;
};

class MinutesControl : public NumberControl {
public:
    static constexpr int kLowest = 2;
    static constexpr int kHighest = 59;

    bool attach(ui::CWnd* dialog, int rowY);
    // Always within kLowest..kHighest.
    int minutes() const;
    void setMinutes(int minutes);
    void changeBy(int step) override;

protected:
    std::vector<const DigitRun*> runs() const override { return {&digits_}; }

private:
    DigitRun digits_;
};

}  // namespace qm::panel
