// The still-camera command interface in both code-byte layouts, as the host
// drives it: argument and code into 040B-040C, a strobe of 0410, the ready
// bit, results from 040B-040C and the picture table through 1052.
#include "simulators/dualcam/dual_camera.h"
#include "simulators/dualcam/register_map.h"
#include "simulators/dualcam/still_command.h"
#include "tests/simulators/dualcam/camera_host.h"

#include <gtest/gtest.h>

namespace qm::dualcam {
namespace {

using test::CameraHost;

// The code byte of a command with picture number n, per layout.
struct Codes {
    CommandLayout layout;
    int shift;                 // where bits 8.. of n go
    std::uint8_t base;         // added to the command number
    std::uint8_t setMode, table, freeCount, getStatus, setStatus, take, download, next, writeId, readId, erase;
    std::uint8_t code(std::uint8_t command, unsigned n) const { return std::uint8_t(((n >> 8) << shift) | command); }
    std::size_t count(std::pair<std::uint8_t, std::uint8_t> r) const { return decodeCount(layout, r.first, r.second); }
};

constexpr Codes kNew{CommandLayout::New, 4, 0, 0x05, 0x06, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x00, 0x0D, 0x0E, 0x0F};
constexpr Codes kOld{CommandLayout::Old, 6, 0, 0x35, 0x36, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x00, 0x3D, 0x3E, 0x3F};

std::vector<StoredPictureDescription> pictures(std::size_t count)
{
    std::vector<StoredPictureDescription> descriptions(count);
    for (std::size_t i = 0; i < count; ++i)
        descriptions[i].variant = int(i);
    return descriptions;
}

class DualCamStillCommands : public ::testing::TestWithParam<Codes> {
protected:
    DualCamConfig config(std::size_t stored, std::size_t capacity = 0)
    {
        DualCamConfig c;
        c.layout = GetParam().layout;
        c.pictures = pictures(stored);
        c.pictureCapacity = capacity;
        c.scene.moving = false;
        return c;
    }
    const Codes& codes() const { return GetParam(); }

    // The host's size probe: 00 07, then the old layout's own size command.
    static std::pair<bool, std::size_t> probeTableSize(CameraHost& host)
    {
        EXPECT_TRUE(host.command(0x00, 0x07));
        const auto [b0, b1] = host.result();
        if (!(b0 == 0x00 && b1 == 0x07))
            return {true, std::size_t(b0 / 16) * 256 + b1};
        EXPECT_TRUE(host.command(0x37));
        const auto [c0, c1] = host.result();
        return {false, std::size_t(c0 / 64) * 256 + c1};
    }
};

TEST_P(DualCamStillCommands, TableSizeProbeTellsTheLayoutApart)
{
    DualCamera camera(config(300));
    CameraHost host(camera);
    const auto [newLayout, size] = probeTableSize(host);
    EXPECT_EQ(newLayout, codes().layout == CommandLayout::New);
    EXPECT_EQ(size, 300u);
}

TEST_P(DualCamStillCommands, PictureTableIsReadInChunksThroughTheWindow)
{
    DualCamera camera(config(45));
    CameraHost host(camera);
    std::vector<std::uint16_t> table;
    std::vector<std::size_t> chunks;
    for (std::size_t f = 0; f < 45;) {
        ASSERT_TRUE(host.command(std::uint8_t(f), codes().code(codes().table, unsigned(f))));
        const std::size_t n = std::min<std::size_t>(45 - f, 20);
        const auto bytes = host.read(reg::kPictureTableWindow, n * 2);
        ASSERT_EQ(bytes.size(), n * 2);
        for (std::size_t i = 0; i < n; ++i)
            table.push_back(std::uint16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
        chunks.push_back(n);
        f += n;
    }
    EXPECT_EQ(chunks, (std::vector<std::size_t>{20, 20, 5}));
    for (std::size_t k = 0; k < table.size(); ++k)
        EXPECT_EQ(table[k], k + 1);
}

TEST_P(DualCamStillCommands, TableWindowFromAnEntryAbove255)
{
    DualCamera camera(config(300));
    CameraHost host(camera);
    ASSERT_TRUE(host.command(std::uint8_t(280 & 0xFF), codes().code(codes().table, 280)));
    const auto bytes = host.read(reg::kPictureTableWindow, 40);
    EXPECT_EQ(bytes[0] | (bytes[1] << 8), 281);
    EXPECT_EQ(bytes[38] | (bytes[39] << 8), 300);
}

TEST_P(DualCamStillCommands, CountsFreeStatusAndTheEnableLatch)
{
    DualCamera camera(config(5, 300));
    CameraHost host(camera);
    ASSERT_TRUE(host.command(codes().freeCount));
    EXPECT_EQ(codes().count(host.result()), 295u);

    ASSERT_TRUE(host.command(0x5A, codes().setStatus));
    ASSERT_TRUE(host.command(codes().getStatus));
    EXPECT_EQ(host.readByte(reg::kCommandCode), 0x5A);

    // Setting the enable bit latches the picture count.
    ASSERT_TRUE(host.writeByte(reg::kMaster, 0xB9));
    ASSERT_TRUE(host.waitReady());
    EXPECT_EQ(codes().count(host.result()), 5u);
}

TEST_P(DualCamStillCommands, TakePictureAddsOneAndDeleteClosesUp)
{
    DualCamera camera(config(3, 4));
    CameraHost host(camera);
    ASSERT_TRUE(host.command(codes().take));
    EXPECT_EQ(camera.pictureCount(), 4u);
    // Full: a further picture is not stored.
    ASSERT_TRUE(host.command(codes().take));
    EXPECT_EQ(camera.pictureCount(), 4u);
    ASSERT_TRUE(host.command(codes().freeCount));
    EXPECT_EQ(codes().count(host.result()), 0u);

    ASSERT_TRUE(host.command(2, codes().code(codes().erase, 2)));
    EXPECT_EQ(camera.pictureCount(), 3u);
    ASSERT_TRUE(host.command(9, codes().code(codes().erase, 9)));
    EXPECT_EQ(camera.pictureCount(), 3u);
}

TEST_P(DualCamStillCommands, DeletePictureAbove255UsesTheHighBitsOfTheCode)
{
    DualCamera camera(config(301));
    CameraHost host(camera);
    const std::uint8_t code = codes().code(codes().erase, 300);
    EXPECT_EQ(code, codes().layout == CommandLayout::New ? 0x1F : 0x7F);
    ASSERT_TRUE(host.command(0x2C, code));
    EXPECT_EQ(camera.pictureCount(), 300u);
}

TEST_P(DualCamStillCommands, FlashIdentificationAndFirmwareVersion)
{
    auto c = config(0);
    c.flashDeviceCode = 0x73;
    c.firmwareBytes = {0x4B, 0xC1};
    DualCamera camera(c);
    CameraHost host(camera);
    EXPECT_EQ(host.read(reg::kFlashMakerId, 2), (std::vector<std::uint8_t>{0, 0}));
    ASSERT_TRUE(host.command(codes().readId));
    EXPECT_EQ(host.readByte(reg::kFlashDeviceId), 0x73);
    ASSERT_TRUE(host.command(codes().writeId));
    ASSERT_TRUE(host.command(0x34));
    EXPECT_EQ(host.result(), std::make_pair(std::uint8_t(0x4B), std::uint8_t(0xC1)));
}

TEST_P(DualCamStillCommands, UnknownCommandsLeaveTheirBytesAlone)
{
    DualCamera camera(config(2));
    CameraHost host(camera);
    ASSERT_TRUE(host.command(0x77, 0x02));
    EXPECT_EQ(host.result(), std::make_pair(std::uint8_t(0x77), std::uint8_t(0x02)));
}

TEST_P(DualCamStillCommands, SetModeEndsLiveVideo)
{
    DualCamera camera(config(1));
    CameraHost host(camera);
    host.startVideo(7, 0, 64);
    ASSERT_EQ(camera.streamMode(), StreamMode::Video);
    ASSERT_TRUE(host.command(codes().setMode));
    EXPECT_EQ(camera.streamMode(), StreamMode::Idle);
}

INSTANTIATE_TEST_SUITE_P(Layouts, DualCamStillCommands, ::testing::Values(kNew, kOld),
                         [](const auto& info) { return info.param.layout == CommandLayout::New ? "New" : "Old"; });

TEST(DualCamStillCommandCodes, DecodeBothLayouts)
{
    EXPECT_EQ(decodeCommand(CommandLayout::New, 0x2C, 0x05).kind, StillCommand::Download);
    EXPECT_EQ(decodeCommand(CommandLayout::New, 0x2C, 0x05).number, 0x205);
    EXPECT_EQ(decodeCommand(CommandLayout::Old, 0xBC, 0x05).kind, StillCommand::Download);
    EXPECT_EQ(decodeCommand(CommandLayout::Old, 0xBC, 0x05).number, 0x205);
    EXPECT_EQ(decodeCommand(CommandLayout::New, 0x10, 0x01).kind, StillCommand::DownloadNext);
    EXPECT_EQ(decodeCommand(CommandLayout::New, 0x10, 0x01).number, 0x101);
    EXPECT_EQ(decodeCommand(CommandLayout::Old, 0x34, 0).kind, StillCommand::FirmwareVersion);
    EXPECT_EQ(decodeCommand(CommandLayout::New, 0x34, 0).kind, StillCommand::FirmwareVersion);
    EXPECT_EQ(decodeCommand(CommandLayout::Old, 0x07, 0).kind, StillCommand::Unknown);
    EXPECT_EQ(decodeCommand(CommandLayout::New, 0x07, 0).kind, StillCommand::TableSize);
}

TEST(DualCamStillCommandCodes, CountsRoundTripThroughTheHostsDecoding)
{
    for (std::size_t n : {0u, 7u, 255u, 256u, 1000u, 4095u}) {
        const auto [b0, b1] = encodeCount(CommandLayout::New, n);
        EXPECT_EQ(decodeCount(CommandLayout::New, b0, b1), n);
    }
    for (std::size_t n : {0u, 255u, 256u, 1023u}) {
        const auto [b0, b1] = encodeCount(CommandLayout::Old, n);
        EXPECT_EQ(decodeCount(CommandLayout::Old, b0, b1), n);
    }
    const auto [b0, b1] = encodeCount(CommandLayout::Old, 5000);
    EXPECT_EQ(decodeCount(CommandLayout::Old, b0, b1), 1023u);
}

TEST(DualCamStillCommandReady, BusyForSomeReadsThenReady)
{
    DualCamConfig config;
    config.commandBusyReads = 5;
    DualCamera camera(config);
    CameraHost host(camera);
    ASSERT_TRUE(host.waitReady(1));
    host.writeByte(reg::kCommandCode, 0x08);
    host.writeByte(reg::kMaster, reg::kMasterExecute);
    int notReady = 0;
    while (!(host.readByte(reg::kMaster) & reg::kMasterReady))
        ASSERT_LT(++notReady, 100);
    EXPECT_EQ(notReady, 5);
}

}  // namespace
}  // namespace qm::dualcam
