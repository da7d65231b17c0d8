// The status dialog's strips and value texts, the line speed classes, and
// the date arithmetic of the settings dialog's number controls.
#include <gtest/gtest.h>

#include "panel/dialogs/number_controls.h"
#include "panel/dialogs/speed_classes.h"
#include "panel/dialogs/status_lines.h"

namespace qm::panel {
namespace {

TEST(StatusLines, OneStripPerLineTheMaskAsksFor)
{
    EXPECT_EQ(statusStripCount(0xFD), 7) << "six lines and the firmware, which draws none";
    EXPECT_EQ(statusStripCount(0x1FF), 9);
    EXPECT_EQ(statusStripCount(0x200), 0) << "bits beyond the nine count for nothing";
    EXPECT_EQ(statusStripCount(0), 0);
}

TEST(StatusLines, ValuesReadAsTheCameraReportsThemAndNothingElse)
{
    EXPECT_EQ(capacityText(8, false), "8 MB");
    EXPECT_EQ(capacityText(512, true), "512 KB");
    EXPECT_EQ(batteryText(1), "Empty");
    EXPECT_EQ(batteryText(3), "Full");
    EXPECT_EQ(batteryText(0), std::nullopt);
    EXPECT_EQ(batteryText(4), std::nullopt);
    EXPECT_EQ(acAdapterText(2), "In Use");
    EXPECT_EQ(acAdapterText(3), std::nullopt);
    EXPECT_EQ(autoOffText(179), "2 Minutes");
    EXPECT_EQ(modeText(3), "Menu mode");
    EXPECT_EQ(modeText(4), std::nullopt);
    EXPECT_EQ(imagesText(3, 97), "3 / 100");
    EXPECT_EQ(imagesText(0xFFFFFFFFu, 1), "4294967295 / 4294967296") << "no overflow";
    EXPECT_EQ(portText(0), "USB");
    EXPECT_EQ(portText(3), "38400 / bps");
    EXPECT_EQ(portText(5), "115200 / bps");
    EXPECT_EQ(portText(6), std::nullopt);
    EXPECT_EQ(firmwareText(326, "V3.26"), "326");
    EXPECT_EQ(firmwareText(0, "beta"), "beta");
}

TEST(StatusLines, ThePortLineNamesWhatItShows)
{
    EXPECT_EQ(statusLabel(kStatusPort, "USB"), "Current Communications Port");
    EXPECT_EQ(statusLabel(kStatusPort, "57600 / bps"), "Current Baud Rate");
    EXPECT_EQ(statusLabel(kStatusPort, "Not Available!"), "Current Baud Rate");
    EXPECT_EQ(statusLabel(kStatusCapacityKb, ""), statusLabel(kStatusCapacityMb, ""));
}

TEST(SpeedClasses, TheSlowestClassThatReachesTheRate)
{
    const SpeedClasses classes;
    EXPECT_EQ(classes.classFor(0), kSpeedSlow) << "USB";
    EXPECT_EQ(classes.classFor(38400), kSpeedSlow);
    EXPECT_EQ(classes.classFor(38401), kSpeedNormal);
    EXPECT_EQ(classes.classFor(115200), kSpeedFast);
    EXPECT_EQ(classes.classFor(230400), kNoSpeedClass);
    EXPECT_EQ(classes.rateOf(kSpeedNormal), 57600u);
    EXPECT_EQ(classes.rateOf(kNoSpeedClass), std::nullopt);
    EXPECT_EQ(classes.rateOf(4), std::nullopt);
    EXPECT_EQ(speedTableRate(1), 9600u);
    EXPECT_EQ(speedTableRate(6), std::nullopt);
}

TEST(NumberControls, DatesStayOnTheCalendar)
{
    EXPECT_EQ(daysInMonth(2000, 2), 29);
    EXPECT_EQ(daysInMonth(1900, 2), 28);
    EXPECT_EQ(daysInMonth(2001, 13), 0);
    EXPECT_EQ(validDate({2001, 2, 31}), (CalendarDate{2001, 2, 28}));
    EXPECT_EQ(validDate({2001, 19, 0}), (CalendarDate{2001, 12, 1}));
    EXPECT_EQ(addDays({2000, 2, 28}, 1), (CalendarDate{2000, 2, 29}));
    EXPECT_EQ(addDays({2001, 12, 31}, 1), (CalendarDate{2002, 1, 1}));
    EXPECT_EQ(addDays({2001, 3, 1}, -1), (CalendarDate{2001, 2, 28}));
    EXPECT_EQ(validTime({24, 60, 99}), (ClockTime{23, 59, 59}));
}

}  // namespace
}  // namespace qm::panel
