#include "device/entry/description_records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/entry/driver_entry.h"
#include "platform/system/byte_order.h"

namespace qm::device {
namespace {

std::string textAt(const std::vector<std::uint8_t>& buffer, std::size_t offset)
{
    return std::string(reinterpret_cast<const char*>(buffer.data() + offset));
}

std::uint32_t u32At(const std::vector<std::uint8_t>& buffer, std::size_t offset)
{
    return sys::readLe32(buffer.data() + offset);
}

struct Entry {
    std::uint32_t id;
    std::uint16_t choiceCount;
    std::string name;
    std::string choices[3];
};

Entry entryAt(const std::vector<std::uint8_t>& buffer, std::size_t index)
{
    const std::size_t base = settings_description::kFirstEntry + settings_description::kEntrySize * index;
    Entry entry{sys::readLe32(buffer.data() + base + setting_entry::kId),
                sys::readLe16(buffer.data() + base + setting_entry::kChoiceCount),
                textAt(buffer, base + setting_entry::kName),
                {}};
    for (int i = 0; i < 3; ++i)
        entry.choices[i] = textAt(buffer, base + setting_entry::kChoices[i]);
    return entry;
}

TEST(DriverInfoRecord, WithoutASessionNamesTheGenericDriverAndOffersNothing)
{
    std::vector<std::uint8_t> buffer(1100, 0xAA);
    ASSERT_EQ(writeDriverInfoRecord(buffer, std::nullopt), kDriverSuccess);
    EXPECT_EQ(sys::readLe16(buffer.data()), 1024);
    EXPECT_EQ(textAt(buffer, driver_info::kDriverName), "Digital Still Camera Driver");
    EXPECT_EQ(u32At(buffer, driver_info::kCapabilities), 0u);
    EXPECT_EQ(u32At(buffer, driver_info::kStatusLineMask), 0u);
    EXPECT_EQ(textAt(buffer, driver_info::kFileFilter), "");
    EXPECT_EQ(textAt(buffer, driver_info::kVersionText), "Digital Still Image Twain Driver V4.0");
    // The whole given length is cleared, also beyond the record.
    for (std::size_t i = driver_info::kSize; i < buffer.size(); ++i)
        ASSERT_EQ(buffer[i], 0) << i;
}

TEST(DriverInfoRecord, DescribesTheCameraAndClearsOneCapabilityForSomeModels)
{
    std::vector<std::uint8_t> buffer(1024, 0xAA);
    ASSERT_EQ(writeDriverInfoRecord(buffer, SessionFacts{16, false}), kDriverSuccess);
    EXPECT_EQ(textAt(buffer, driver_info::kDriverName), "Corvel Camera 640X480 driver");
    EXPECT_EQ(u32At(buffer, driver_info::kCapabilities), 0x3FFu);
    EXPECT_EQ(u32At(buffer, driver_info::kReserved134), 0u);
    EXPECT_EQ(u32At(buffer, driver_info::kStatusLineMask), 0xFDu);
    EXPECT_EQ(textAt(buffer, driver_info::kFileFilter),
              "Bitmap Files (*.Bmp)|*.Bmp|JPEG Files (*.jpg;*.jpeg)|*.jpg; *.jpeg|All Files (*.*)|*.*||");
    EXPECT_EQ(buffer.back(), 0);

    for (std::uint8_t model : {18, 22, 32}) {
        ASSERT_EQ(writeDriverInfoRecord(buffer, SessionFacts{model, true}), kDriverSuccess);
        EXPECT_EQ(u32At(buffer, driver_info::kCapabilities), 0x3FBu) << int(model);
    }
}

TEST(DriverInfoRecord, AShortBufferIsClearedAndRefused)
{
    std::vector<std::uint8_t> buffer(512, 0xAA);
    EXPECT_EQ(writeDriverInfoRecord(buffer, SessionFacts{16, false}), kDriverFailure);
    for (std::uint8_t byte : buffer)
        ASSERT_EQ(byte, 0);
}

TEST(SettingsDescription, WithoutASessionOffersOnlyTheLineSpeed)
{
    std::vector<std::uint8_t> buffer(300, 0xAA);
    ASSERT_EQ(writeSettingsDescription(buffer, std::nullopt), kDriverSuccess);
    EXPECT_EQ(u32At(buffer, settings_description::kRecordSize), 270u);
    EXPECT_EQ(u32At(buffer, settings_description::kEntryCount), 1u);
    EXPECT_EQ(textAt(buffer, settings_description::kOkText), "Ok");
    EXPECT_EQ(textAt(buffer, settings_description::kCancelText), "Cancel");
    const Entry speed = entryAt(buffer, 0);
    EXPECT_EQ(speed.id, 6u);
    EXPECT_EQ(speed.name, "Baud Rate Speeding");
    EXPECT_EQ(speed.choiceCount, 3);
    EXPECT_EQ(speed.choices[0], "Slow");
    EXPECT_EQ(speed.choices[1], "Normal");
    EXPECT_EQ(speed.choices[2], "Fast");
    EXPECT_EQ(buffer[270], 0xAA) << "nothing is written past the record";

    std::vector<std::uint8_t> tooShort(269, 0xAA);
    EXPECT_EQ(writeSettingsDescription(tooShort, std::nullopt), kDriverFailure);
    EXPECT_EQ(tooShort, std::vector<std::uint8_t>(269, 0xAA));
}

TEST(SettingsDescription, ASerialModel16CameraOffersNineSettings)
{
    std::vector<std::uint8_t> buffer(2052, 0xAA);
    ASSERT_EQ(writeSettingsDescription(buffer, SessionFacts{16, false}), kDriverSuccess);
    EXPECT_EQ(u32At(buffer, settings_description::kRecordSize), 1656u);
    ASSERT_EQ(u32At(buffer, settings_description::kEntryCount), 9u);

    const std::uint32_t ids[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const char* names[] = {"Flash Mode",  "Self Shoot Timer", "LCD Display", "Icon Display",          "Quality Mode",
                           "Baud Rate Speeding", "Camera Date", "Camera time", "Auto Off Time(Minutes)"};
    const std::uint16_t counts[] = {3, 2, 2, 2, 2, 3, 0, 0, 0};
    for (std::size_t i = 0; i < 9; ++i) {
        const Entry entry = entryAt(buffer, i);
        EXPECT_EQ(entry.id, ids[i]);
        EXPECT_EQ(entry.name, names[i]);
        EXPECT_EQ(entry.choiceCount, counts[i]) << names[i];
    }
    EXPECT_EQ(entryAt(buffer, 0).choices[2], "Off");
    // The third quality choice is named while the count stays 2.
    EXPECT_EQ(entryAt(buffer, 4).choices[2], "SuperFine");
    EXPECT_EQ(entryAt(buffer, 6).choices[0], "");
    EXPECT_EQ(buffer[settings_description::sizeFor(9)], 0xAA);

    std::vector<std::uint8_t> tooShort(settings_description::sizeFor(9) - 1, 0xAA);
    EXPECT_EQ(writeSettingsDescription(tooShort, SessionFacts{16, false}), kDriverFailure);
    EXPECT_EQ(tooShort.front(), 0xAA);
}

TEST(SettingsDescription, UsbCamerasOfferOneLineSpeedAndSomeModelsNoIconDisplay)
{
    std::vector<std::uint8_t> buffer(2052, 0);
    ASSERT_EQ(writeSettingsDescription(buffer, SessionFacts{17, true}), kDriverSuccess);
    ASSERT_EQ(u32At(buffer, settings_description::kEntryCount), 8u);
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_NE(entryAt(buffer, i).id, 4u);
    const Entry speed = entryAt(buffer, 4);
    EXPECT_EQ(speed.id, 6u);
    EXPECT_EQ(speed.choiceCount, 1);
    EXPECT_EQ(speed.choices[0], "USB");
    // A buffer for eight entries is enough for a camera that offers eight.
    std::vector<std::uint8_t> exact(settings_description::sizeFor(8), 0);
    EXPECT_EQ(writeSettingsDescription(exact, SessionFacts{18, true}), kDriverSuccess);
}

}  // namespace
}  // namespace qm::device
