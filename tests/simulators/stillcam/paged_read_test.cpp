// Paged reads of pictures and thumbnails: blocks, sequence bytes and their
// wrap, retransmission, closing, and the thumbnails of both forms.
#include <gtest/gtest.h>

#include <random>

#include "platform/system/byte_order.h"
#include "tests/simulators/stillcam/camera_fixture.h"
#include "tests/simulators/stillcam/jpeg_check.h"

namespace qm::stillcam::test {
namespace {

struct Block {
    std::uint8_t state = 0;
    std::uint8_t sequence = 0;
    Bytes data;
};

std::optional<Block> blockOf(const Bytes& packet, std::uint8_t code)
{
    Reply reply = parseReply(packet);
    if (!reply.valid || reply.code != (code | 0x80) || reply.data.size() < 2 || reply.length + 3 != packet.size())
        return std::nullopt;
    return Block{reply.data[0], reply.data[1], Bytes(reply.data.begin() + 2, reply.data.end())};
}

// Reads an object as the host does: after a block with sequence q the next
// one lands at (w * 256 + q) * 1024, w counting the wraps of q to 0.
Bytes readObject(StillCamera& camera, std::uint8_t code, unsigned picture, std::vector<std::uint8_t>* sequences = nullptr)
{
    Bytes object;
    std::size_t at = 0;
    unsigned wraps = 0;
    auto block = blockOf(camera.exchange(firstBlockRequest(code, picture)), code);
    while (block) {
        if (sequences)
            sequences->push_back(block->sequence);
        if (object.size() < at + block->data.size())
            object.resize(at + block->data.size());
        std::copy(block->data.begin(), block->data.end(), object.begin() + long(at));
        if (block->sequence == 0)
            ++wraps;
        if (block->state == 2) {
            EXPECT_TRUE(camera.exchange(nextBlockRequest(code, 2, block->sequence)).empty());
            return object;
        }
        at = (std::size_t(wraps) * 256 + block->sequence) * 1024;
        block = blockOf(camera.exchange(nextBlockRequest(code, block->state, block->sequence)), code);
    }
    ADD_FAILURE() << "the read broke off";
    return object;
}

TEST(StillCameraPagedRead, RawThumbnailComesInTenBlocks)
{
    auto camera = makeCamera(testConfig(16, 2));
    const Bytes first = camera->exchange(firstBlockRequest(CMD_READ_THUMBNAIL, 2));
    ASSERT_EQ(first.size(), 1031u);
    EXPECT_EQ(first[1], 0x04);  // length 1028, low byte first
    EXPECT_EQ(first[2], 0x04);
    auto block = blockOf(first, CMD_READ_THUMBNAIL);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->state, 1);
    EXPECT_EQ(block->sequence, 1);

    std::vector<std::uint8_t> sequences;
    const Bytes thumbnail = readObject(*camera, CMD_READ_THUMBNAIL, 2, &sequences);
    EXPECT_EQ(thumbnail.size(), 9600u);
    EXPECT_EQ(thumbnail, camera->thumbnailData(2));
    EXPECT_EQ(sequences, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    // After the closing request no read is open.
    EXPECT_TRUE(camera->exchange(nextBlockRequest(CMD_READ_THUMBNAIL, 1, 10)).empty());
}

TEST(StillCameraPagedRead, JpegThumbnailsOfTheOtherModelsMatchTheirPictureInfo)
{
    for (std::uint8_t model : {17, 18, 20}) {
        auto camera = makeCamera(testConfig(model, 1));
        const Bytes thumbnail = readObject(*camera, CMD_READ_THUMBNAIL, 1);
        EXPECT_EQ(thumbnail.size(), sys::readLe32(&camera->pictureInfo(1)->at(18)));
        EXPECT_EQ(jpegDimensions(thumbnail), std::make_pair(160, 120)) << int(model);
    }
    for (std::uint8_t model : {22, 32}) {
        auto camera = makeCamera(testConfig(model, 1));
        EXPECT_EQ(readObject(*camera, CMD_READ_THUMBNAIL, 1).size(), 9600u) << int(model);
    }
}

TEST(StillCameraPagedRead, SequenceWrapsAfter256BlocksAndEveryByteLandsInPlace)
{
    auto camera = makeCamera(testConfig(16, 0));
    Bytes big(300 * 1024 + 17);
    std::mt19937 random(7);
    for (auto& b : big)
        b = std::uint8_t(random());
    ASSERT_TRUE(camera->addPicture(big));

    std::vector<std::uint8_t> sequences;
    EXPECT_EQ(readObject(*camera, CMD_READ_PICTURE, 1, &sequences), big);
    ASSERT_EQ(sequences.size(), 301u);
    EXPECT_EQ(sequences[254], 255);
    EXPECT_EQ(sequences[255], 0);  // block 256
    EXPECT_EQ(sequences[256], 1);  // block 257
    EXPECT_EQ(sequences[300], 45);
}

TEST(StillCameraPagedRead, BadBlockIsSentAgainWhenTheHostAsksWithTheLastGoodSequence)
{
    auto camera = makeCamera(testConfig(16, 1));
    const Bytes picture = camera->pictureData(1);
    ASSERT_GT(picture.size(), 4 * 1024u);
    camera->injectFault({.kind = FaultKind::BadChecksum, .command = CMD_READ_PICTURE, .block = 3});

    ASSERT_TRUE(blockOf(camera->exchange(firstBlockRequest(CMD_READ_PICTURE, 1)), CMD_READ_PICTURE));
    ASSERT_TRUE(blockOf(camera->exchange(nextBlockRequest(CMD_READ_PICTURE, 1, 1)), CMD_READ_PICTURE));
    const Bytes bad = camera->exchange(nextBlockRequest(CMD_READ_PICTURE, 1, 2));
    EXPECT_FALSE(blockOf(bad, CMD_READ_PICTURE));
    EXPECT_EQ(camera->lastCommand()->fault, FaultKind::BadChecksum);

    const Bytes again = camera->exchange(nextBlockRequest(CMD_READ_PICTURE, 0xFF, 2));
    auto block = blockOf(again, CMD_READ_PICTURE);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->sequence, 3);
    EXPECT_EQ(block->data, Bytes(picture.begin() + 2048, picture.begin() + 3072));
    EXPECT_EQ(Bytes(bad.begin(), bad.end() - 1), Bytes(again.begin(), again.end() - 1));

    // A sequence byte that fits neither the current block nor the one before
    // is no request the camera understands.
    EXPECT_TRUE(camera->exchange(nextBlockRequest(CMD_READ_PICTURE, 1, 9)).empty());
    auto next = blockOf(camera->exchange(nextBlockRequest(CMD_READ_PICTURE, 1, 3)), CMD_READ_PICTURE);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->sequence, 4);
}

TEST(StillCameraPagedRead, FirstRequestChoosesThePicture)
{
    auto camera = makeCamera(testConfig(16, 3));
    camera->addPicture(Bytes(10, 0xAB));  // one short block, state 2 at once
    auto only = blockOf(camera->exchange(firstBlockRequest(CMD_READ_PICTURE, 4)), CMD_READ_PICTURE);
    ASSERT_TRUE(only);
    EXPECT_EQ(only->state, 2);
    EXPECT_EQ(only->data, Bytes(10, 0xAB));

    // The short form with state 0 reads the newest picture.
    auto newest = blockOf(camera->exchange(nextBlockRequest(CMD_READ_PICTURE, 0, 0)), CMD_READ_PICTURE);
    ASSERT_TRUE(newest);
    EXPECT_EQ(newest->data, Bytes(10, 0xAB));

    // A new long request starts over, on another picture.
    auto other = blockOf(camera->exchange(firstBlockRequest(CMD_READ_PICTURE, 1)), CMD_READ_PICTURE);
    ASSERT_TRUE(other);
    const Bytes first = camera->pictureData(1);
    EXPECT_EQ(other->data, Bytes(first.begin(), first.begin() + 1024));

    EXPECT_TRUE(camera->exchange(firstBlockRequest(CMD_READ_PICTURE, 9)).empty());
    // A thumbnail request does not continue a picture read.
    EXPECT_TRUE(camera->exchange(nextBlockRequest(CMD_READ_THUMBNAIL, 1, 1)).empty());
}

}  // namespace
}  // namespace qm::stillcam::test
