// Register access over vendor requests, the front end's serial words and the
// USB descriptors.
#include "simulators/dualcam/dual_camera.h"
#include "simulators/dualcam/front_end.h"
#include "simulators/dualcam/register_map.h"
#include "tests/simulators/dualcam/camera_host.h"

#include <gtest/gtest.h>

namespace qm::dualcam {
namespace {

using test::CameraHost;

TEST(DualCamRegisterAccess, RunsUpToSixtyFourBytesAndNoMore)
{
    DualCamera camera;
    std::vector<std::uint8_t> run(64);
    for (std::size_t i = 0; i < run.size(); ++i)
        run[i] = std::uint8_t(i + 1);
    EXPECT_TRUE(camera.writeRegisters(0x0900, run));
    std::vector<std::uint8_t> back(64);
    EXPECT_TRUE(camera.readRegisters(0x0900, back));
    EXPECT_EQ(back, run);
    run.push_back(0);
    EXPECT_FALSE(camera.writeRegisters(0x0900, run));
    back.resize(65);
    EXPECT_FALSE(camera.readRegisters(0x0900, back));
}

TEST(DualCamRegisterAccess, AHostBlockOf155RegistersTakesThreeRequests)
{
    DualCamera camera;
    CameraHost host(camera);
    std::vector<std::uint8_t> block(155);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = std::uint8_t(0x40 + i);
    ASSERT_TRUE(host.write(0x1000, block));
    EXPECT_EQ(host.requests(), 3u);
    // Everything landed except the camera's own identification registers.
    for (std::size_t i = 0; i < block.size(); ++i) {
        const auto address = std::uint16_t(0x1000 + i);
        if (address == reg::kFlashMakerId || address == reg::kFlashDeviceId)
            EXPECT_EQ(camera.registerValue(address), 0) << std::hex << address;
        else
            EXPECT_EQ(camera.registerValue(address), block[i]) << std::hex << address;
    }
}

TEST(DualCamRegisterAccess, OnlyVendorRequestZeroToTheDeviceIsAnswered)
{
    DualCamera camera;
    std::uint8_t byte = 0;
    usbd::SetupPacket setup{0xC0, 0, 0, reg::kMaster, 1};
    EXPECT_FALSE(camera.controlIn(setup, {&byte, 1}).stall);
    EXPECT_EQ(byte & 0x7F, 0x38);
    setup.bRequest = 1;
    EXPECT_TRUE(camera.controlIn(setup, {&byte, 1}).stall);
    setup = {0xA0, 0, 0, reg::kMaster, 1};  // class request
    EXPECT_TRUE(camera.controlIn(setup, {&byte, 1}).stall);
}

TEST(DualCamRegisterAccess, StatisticsAreReadOnly)
{
    DualCamera camera;
    CameraHost host(camera);
    const auto before = host.read(reg::kLuminanceGrid, 64);
    host.write(reg::kLuminanceGrid, std::vector<std::uint8_t>(64, 0x55));
    EXPECT_EQ(host.read(reg::kLuminanceGrid, 64), before);
    host.write(reg::kOpticalBlackLevel, {0x99});
    EXPECT_NE(host.readByte(reg::kOpticalBlackLevel), 0x99);
}

TEST(DualCamDescriptors, IdentityAndFallingBandwidthOfTheAlternateSettings)
{
    DualCamConfig config;
    config.vendorId = 0x1234;
    config.productId = 0x5678;
    DualCamera camera(config);
    const auto device = camera.deviceDescriptor();
    ASSERT_EQ(device.size(), 18u);
    EXPECT_EQ(device[8] | (device[9] << 8), 0x1234);
    EXPECT_EQ(device[10] | (device[11] << 8), 0x5678);

    const auto configuration = camera.configurationDescriptor();
    ASSERT_GE(configuration.size(), 9u);
    EXPECT_EQ(std::size_t(configuration[2] | (configuration[3] << 8)), configuration.size());
    // Walk the interfaces: pipe 1 is the data endpoint, pipe 2 the sync endpoint.
    int alternate = -1, pipe = 0;
    std::uint16_t previousData = 0xFFFF;
    for (std::size_t at = 9; at + 2 <= configuration.size(); at += configuration[at]) {
        ASSERT_GT(configuration[at], 0);
        if (configuration[at + 1] == usbd::USB_INTERFACE_DESCRIPTOR_TYPE) {
            alternate = configuration[at + 3];
            EXPECT_EQ(configuration[at + 4], 3);
            pipe = 0;
        } else if (configuration[at + 1] == usbd::USB_ENDPOINT_DESCRIPTOR_TYPE) {
            const std::uint8_t address = configuration[at + 2];
            const std::uint16_t size = std::uint16_t(configuration[at + 4] | (configuration[at + 5] << 8));
            if (pipe == 1) {
                EXPECT_EQ(address, kDataEndpoint);
                EXPECT_EQ(configuration[at + 3] & 3, usbd::USB_ENDPOINT_TYPE_ISOCHRONOUS);
                if (alternate > 1) {
                    EXPECT_LT(size, previousData);
                }
                previousData = size;
                EXPECT_EQ(size, kDataPacketSize[std::size_t(alternate)]);
            } else if (pipe == 2) {
                EXPECT_EQ(address, kSyncEndpoint);
                EXPECT_EQ(size, alternate == 0 ? 0 : 1);
            }
            ++pipe;
        }
    }
    EXPECT_EQ(alternate, 7);
}

TEST(DualCamFrontEnd, EachChipTakesOnlyItsOwnGainWord)
{
    // Sharp: C0 00 g 02 00 01.
    FrontEnd sharp(0, 0);
    sharp.dataWritten(reg::kFrontEndData, std::vector<std::uint8_t>{0xC0, 0x00, 120, 0x02, 0x00, 0x01});
    EXPECT_EQ(sharp.gainCode(), 120);
    sharp.dataWritten(reg::kFrontEndData, std::vector<std::uint8_t>{0x80, 0x07});  // a Hitachi word
    EXPECT_EQ(sharp.gainCode(), 120);

    // Hitachi: ignores gain until its set-up word arrived at 101F.
    FrontEnd hitachi(0, 1);
    const std::vector<std::uint8_t> word{std::uint8_t((200 << 4) & 0xFF), std::uint8_t(200 >> 4)};
    hitachi.dataWritten(reg::kFrontEndData, word);
    EXPECT_EQ(hitachi.gainCode(), 0);
    hitachi.dataWritten(reg::kFrontEndSetup, std::vector<std::uint8_t>{0x09, 0x20, 0x03, 0x00, 0x02, 0x00});
    hitachi.dataWritten(reg::kFrontEndData, word);
    EXPECT_EQ(hitachi.gainCode(), 200);

    // Panasonic: set-up at 101D, then bit-reversed halves.
    FrontEnd panasonic(0, 2);
    panasonic.dataWritten(reg::kFrontEndData, std::vector<std::uint8_t>{0xE0, 0x00, 0x0C, 0x00, 0x52, 0x00});
    const int g = 60;
    panasonic.dataWritten(reg::kFrontEndData, std::vector<std::uint8_t>{reverseBits(std::uint8_t(g >> 3)),
                                                                        reverseBits(std::uint8_t((g << 5) & 0xFF))});
    EXPECT_EQ(panasonic.gainCode(), g);

    // Tasc: four copies of the inverted code in bits 5-7.
    FrontEnd tasc(0, 5);
    const std::uint8_t c = std::uint8_t(((~3) << 5) & 0xFF);
    tasc.dataWritten(reg::kFrontEndData, std::vector<std::uint8_t>{0, c, 0, c, 0, c, 0, c});
    EXPECT_EQ(tasc.gainCode(), 3);
    EXPECT_NEAR(tasc.gainMultiplier(), 1.4 * 1.4 * 1.4, 1e-9);

    // Toshiba: the word 1024 repeated with channel numbers 0..3.
    FrontEnd toshiba(0, 7);
    toshiba.dataWritten(reg::kFrontEndData, std::vector<std::uint8_t>{0x00, 0x04, 0x00, 0x14, 0x00, 0x24, 0x00, 0x34});
    EXPECT_EQ(toshiba.gainCode(), 1024);
    EXPECT_NEAR(toshiba.gainMultiplier(), 3.0, 1e-9);
}

TEST(DualCamFrontEnd, CmosSensorIsProgrammedOverI2c)
{
    FrontEnd cmos(3, 0);
    auto i2c = [&](std::uint8_t index, std::uint8_t value) {
        cmos.dataWritten(reg::kFrontEndData, std::vector<std::uint8_t>{0x00, 0x02, FrontEnd::kSensorAddress, 0x00,
                                                                       reverseBits(index), 0x00, reverseBits(value),
                                                                       0x00});
    };
    i2c(FrontEnd::kSensorGain, 16);
    EXPECT_EQ(cmos.gainCode(), 0) << "the serial bus is not in I2C mode yet";
    cmos.serialCommand(std::vector<std::uint8_t>{0xFB, 0x13, 0x02});
    i2c(FrontEnd::kSensorGain, 16);
    EXPECT_EQ(cmos.gainCode(), 16);
    i2c(FrontEnd::kSensorShutter, 128);
    EXPECT_DOUBLE_EQ(cmos.cmosExposure(), 0.5);
    i2c(FrontEnd::kSensorShutter, 0);
    EXPECT_DOUBLE_EQ(cmos.cmosExposure(), 1.0);
}

}  // namespace
}  // namespace qm::dualcam
