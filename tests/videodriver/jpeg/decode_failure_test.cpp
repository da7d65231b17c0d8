// Frames that must be dropped without harm: cut short, corrupt, larger than
// their buffer, or decoded while pool runs out. After each, the next good
// frame decodes exactly as it would have, the output is never written past
// its size and every pool block is back.
#include "videodriver/jpeg/jpeg_decoder.h"
#include "videodriver/jpeg/jpeg_header.h"
#include "videodriver/jpeg/kernel_memory.h"
#include "tests/videodriver/jpeg/camera_frames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "platform/kernel/pool.h"

namespace qm::morvax {
namespace {

using Bytes = std::vector<std::uint8_t>;
using kernel::sim::poolUsage;

constexpr std::size_t kGuardBytes = 4096;
constexpr std::uint8_t kGuard = 0xA5;

// An output buffer with guard bytes behind the part the decoder may use.
struct GuardedOutput {
    explicit GuardedOutput(std::size_t size) : size(size), bytes(size + kGuardBytes, kGuard) {}
    bool guardIntact() const
    {
        return std::all_of(bytes.begin() + std::ptrdiff_t(size), bytes.end(), [](auto b) { return b == kGuard; });
    }
    bool untouched() const { return std::all_of(bytes.begin(), bytes.end(), [](auto b) { return b == kGuard; }); }
    std::size_t size;
    Bytes bytes;
};

bool decodeInto(const std::uint8_t* input, std::size_t length, GuardedOutput& output)
{
    JpegDecodeDescriptor descriptor;
    descriptor.input = input;
    descriptor.inputLength = length;
    descriptor.output = output.bytes.data();
    descriptor.outputSize = output.size;
    const bool ok = decodeJpegFrame(&descriptor);
    EXPECT_EQ(descriptor.decodeError, !ok);
    EXPECT_EQ(descriptor.decoder, nullptr);
    return ok;
}

class DecodeFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame_ = test::cameraFrame(320, 240, 64);
        jpeg_ = test::frameJpeg(frame_);
        reference_ = test::decodeFrame(jpeg_, kBitmapBytes).bgr;
        poolBefore_ = poolUsage(kDecoderPoolTag);
    }
    void TearDown() override { kernel::sim::failPoolAllocations(0, 0); }

    // The good frame decodes exactly as before, and the pool is as it was.
    void expectCleanRecovery()
    {
        EXPECT_EQ(poolUsage(kDecoderPoolTag), poolBefore_);
        const auto next = test::decodeFrame(jpeg_, kBitmapBytes);
        ASSERT_TRUE(next.ok);
        EXPECT_EQ(next.bgr, reference_);
        EXPECT_EQ(poolUsage(kDecoderPoolTag), poolBefore_);
    }

    static constexpr std::size_t kBitmapBytes = 320 * 240 * 3;
    test::CameraFrame frame_;
    Bytes jpeg_;
    Bytes reference_;
    kernel::sim::PoolUsage poolBefore_;
};

TEST_F(DecodeFailure, FramesCutShortAnywhereAreDropped)
{
    const std::size_t total = jpeg_.size();
    for (const std::size_t length : {std::size_t(0), std::size_t(1), std::size_t(100), std::size_t(300),
                                     kJpegTemplateSize - 1, kJpegTemplateSize, kJpegTemplateSize + 200,
                                     total / 2, total - 2, total - 1}) {
        // An exact copy: reading one byte too far is an address error.
        const Bytes cut(jpeg_.begin(), jpeg_.begin() + std::ptrdiff_t(length));
        GuardedOutput output(kBitmapBytes);
        EXPECT_FALSE(decodeInto(cut.data(), cut.size(), output)) << "length " << length;
        EXPECT_TRUE(output.guardIntact());
    }
    expectCleanRecovery();
}

TEST_F(DecodeFailure, ReadingStopsAtTheBytesThatArrivedEvenWhenMoreFollowInMemory)
{
    // The rest of the frame is right behind the announced length; a source
    // that read on to the end-of-image marker would decode it whole.
    GuardedOutput output(kBitmapBytes);
    EXPECT_FALSE(decodeInto(jpeg_.data(), jpeg_.size() - 40, output));
    expectCleanRecovery();
}

TEST_F(DecodeFailure, CorruptScanDataIsDroppedOrDecodedWithinTheBuffer)
{
    std::mt19937 random(4200);
    int dropped = 0;
    for (int trial = 0; trial < 24; ++trial) {
        Bytes corrupt = jpeg_;
        std::uniform_int_distribution<std::size_t> where(kJpegTemplateSize, corrupt.size() - 3);
        for (int hit = 0; hit < 1 + trial % 4; ++hit)
            corrupt[where(random)] ^= std::uint8_t(1 + random() % 255);
        GuardedOutput output(kBitmapBytes);
        if (!decodeInto(corrupt.data(), corrupt.size(), output))
            ++dropped;
        ASSERT_TRUE(output.guardIntact()) << "trial " << trial;
    }
    EXPECT_GT(dropped, 0);
    expectCleanRecovery();
}

TEST_F(DecodeFailure, CorruptHeadersAreDropped)
{
    struct Damage {
        std::size_t offset;
        std::uint8_t value;
    };
    const Damage damages[] = {
        {0, 0x00},                          // no start of image
        {169, 0},                           // no components
        {169, 9},                           // more components than the segment holds
        {171, 0x00},                        // sampling factor 0
        {171, 0x55},                        // sampling the scan cannot have
        {kFrameHeightOffset, 0},            // height 0 (DNL, not supported)
        {kFrameHeightOffset + 1, 0},
        {164, 12},                          // 12-bit precision
        {172, 5},                           // quantisation table that does not exist
        {30, 0x47},                         // DQT index 7
        {183, 0x05},                        // DHT index 5
        {27, 0xC2},                         // quantisation segment turned into progressive SOF
        {4, 0xFF},                          // APP0 length past the end
        {606, 0x77},                        // scan names an AC table that does not exist
    };
    for (const auto& damage : damages) {
        Bytes corrupt = jpeg_;
        corrupt[damage.offset] = damage.value;
        if (damage.offset == kFrameHeightOffset)
            corrupt[kFrameHeightOffset + 1] = 0;
        GuardedOutput output(kBitmapBytes);
        EXPECT_FALSE(decodeInto(corrupt.data(), corrupt.size(), output)) << "offset " << damage.offset;
        EXPECT_TRUE(output.guardIntact());
    }
    expectCleanRecovery();
}

TEST_F(DecodeFailure, APictureLargerThanItsBufferIsRefusedBeforeAnyWrite)
{
    const Bytes vga = test::frameJpeg(test::cameraFrame(640, 480, 64));
    GuardedOutput output(kBitmapBytes);
    EXPECT_FALSE(decodeInto(vga.data(), vga.size(), output));
    EXPECT_TRUE(output.untouched());
    // A header that claims the largest size a frame header can hold.
    Bytes huge = jpeg_;
    for (std::size_t i = 0; i < 4; ++i)
        huge[kFrameHeightOffset + i] = 0xFF;
    EXPECT_FALSE(decodeInto(huge.data(), huge.size(), output));
    EXPECT_TRUE(output.untouched());
    expectCleanRecovery();
}

TEST_F(DecodeFailure, NoiseIsNotAPicture)
{
    std::mt19937 random(7);
    for (int trial = 0; trial < 8; ++trial) {
        Bytes noise(2000 + trial * 500);
        for (auto& b : noise)
            b = std::uint8_t(random());
        if (trial % 2 == 0) {
            noise[0] = 0xFF;
            noise[1] = 0xD8;
        }
        GuardedOutput output(kBitmapBytes);
        EXPECT_FALSE(decodeInto(noise.data(), noise.size(), output));
        EXPECT_TRUE(output.guardIntact());
    }
    expectCleanRecovery();
}

TEST_F(DecodeFailure, MissingBuffersAreRefused)
{
    EXPECT_FALSE(InitJpegDecode(nullptr));
    EXPECT_FALSE(DecompressJpeg(nullptr));
    FreeJpegDecode(nullptr);

    Bytes output(kBitmapBytes);
    JpegDecodeDescriptor noInput;
    noInput.output = output.data();
    noInput.outputSize = output.size();
    EXPECT_FALSE(InitJpegDecode(&noInput));
    EXPECT_TRUE(noInput.decodeError);
    EXPECT_FALSE(DecompressJpeg(&noInput));

    JpegDecodeDescriptor noOutput;
    noOutput.input = jpeg_.data();
    noOutput.inputLength = jpeg_.size();
    EXPECT_FALSE(decodeJpegFrame(&noOutput));
    expectCleanRecovery();
}

TEST_F(DecodeFailure, WorkMemoryComesFromPoolAndGoesBack)
{
    Bytes output(kBitmapBytes);
    JpegDecodeDescriptor descriptor;
    descriptor.input = jpeg_.data();
    descriptor.inputLength = jpeg_.size();
    descriptor.output = output.data();
    descriptor.outputSize = output.size();
    ASSERT_TRUE(InitJpegDecode(&descriptor));
    const auto during = poolUsage(kDecoderPoolTag);
    EXPECT_GT(during.blocks, poolBefore_.blocks);
    EXPECT_GT(during.bytes, poolBefore_.bytes + 8192);
    ASSERT_TRUE(DecompressJpeg(&descriptor));
    FreeJpegDecode(&descriptor);
    EXPECT_EQ(output, reference_);
    expectCleanRecovery();
}

TEST_F(DecodeFailure, RunningOutOfPoolAtAnyAllocationDropsTheFrameAndLeaksNothing)
{
    int failures = 0;
    bool decodedOnce = false;
    for (unsigned succeed = 0; succeed < 200 && !decodedOnce; ++succeed) {
        kernel::sim::failPoolAllocations(succeed, 1000);
        GuardedOutput output(kBitmapBytes);
        const bool ok = decodeInto(jpeg_.data(), jpeg_.size(), output);
        kernel::sim::failPoolAllocations(0, 0);
        ASSERT_TRUE(output.guardIntact());
        ASSERT_EQ(poolUsage(kDecoderPoolTag), poolBefore_) << "after " << succeed << " allocations";
        if (ok) {
            decodedOnce = true;
            EXPECT_TRUE(std::equal(reference_.begin(), reference_.end(), output.bytes.begin()));
        } else {
            ++failures;
        }
    }
    EXPECT_TRUE(decodedOnce);
    EXPECT_GT(failures, 1);
    expectCleanRecovery();
}

TEST_F(DecodeFailure, TheSameDescriptorServesAFailedAndAGoodFrame)
{
    Bytes output(kBitmapBytes);
    JpegDecodeDescriptor descriptor;
    descriptor.output = output.data();
    descriptor.outputSize = output.size();
    descriptor.input = jpeg_.data();
    descriptor.inputLength = jpeg_.size() / 3;
    EXPECT_FALSE(decodeJpegFrame(&descriptor));
    EXPECT_TRUE(descriptor.decodeError);
    descriptor.inputLength = jpeg_.size();
    EXPECT_TRUE(decodeJpegFrame(&descriptor));
    EXPECT_FALSE(descriptor.decodeError);
    EXPECT_EQ(output, reference_);
}

}  // namespace
}  // namespace qm::morvax
