// A TWAIN application's side of an acquisition through our source manager,
// for tests that run the real data source, panel and device module against
// the simulated still camera, and the check that what arrived is what the
// device module itself decodes for each picture.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "device/entry/driver_entry.h"
#include "platform/twain/twain_entry.h"

namespace qm::panel::test {

// A picture as rows of red-green-blue pixels, top row first.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// From a packed bitmap (40-byte header, bottom-up BGR rows padded to 4).
bool rgbFromDib(const std::uint8_t* dib, std::size_t size, RgbPicture& out);

class TwainApplication {
public:
    TwainApplication();
    ~TwainApplication();

    // Opens the manager and the QM4200 source and chooses the mechanism.
    ::testing::AssertionResult open(twain::TW_UINT16 mechanism);
    ::testing::AssertionResult enable();
    // One picture by the chosen mechanism (files go to `directory`); the
    // transfer's return code, and the picture when it arrived.
    twain::TW_UINT16 transfer(const std::string& directory, RgbPicture& picture);
    // Ends the transfer; the count of pictures still to come.
    int endTransfer();
    void close();

    twain::TW_UINT16 condition();
    // What the source sent through the manager, oldest first.
    std::vector<twain::TW_UINT16> notifications() const;
    void clearNotifications();

private:
    twain::TW_UINT16 toManager(twain::TW_UINT16 dataType, twain::TW_UINT16 message, void* data);
    twain::TW_UINT16 toSource(twain::TW_UINT32 group, twain::TW_UINT16 dataType, twain::TW_UINT16 message,
                              void* data);

    twain::TW_IDENTITY application_{};
    twain::TW_IDENTITY source_{};
    twain::TW_UINT16 mechanism_ = 0;
    bool managerOpen_ = false;
    bool sourceOpen_ = false;
    bool enabled_ = false;
    int files_ = 0;
};

// What the device module delivers for picture `number` turned by `rotation`
// quarters, through DriverEntry of the module at `devicePath` (already
// loaded and connected in this process, by the panel).
::testing::AssertionResult decodeWithDeviceModule(const std::string& devicePath, int number, int rotation,
                                                  RgbPicture& out);

}  // namespace qm::panel::test
