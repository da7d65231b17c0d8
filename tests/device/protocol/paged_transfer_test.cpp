#include <gtest/gtest.h>

#include <chrono>
#include <set>

#include "device/protocol/link_errors.h"
#include "tests/device/protocol/link_fixture.h"

namespace qm::device {
namespace {

using test::Bytes;
using test::cameraReply;
using test::ProgressEvent;

// A camera serving one object in blocks: block k carries state 1 (2 for the
// last) and sequence k mod 256; a request with the sequence of the current
// block asks for the next, one with the sequence before it for a repeat.
struct BlockCamera {
    Bytes object;
    std::set<unsigned> corruptOnce;   // blocks whose first sending is damaged
    std::set<unsigned> truncateOnce;  // blocks first sent one byte short (with a good checksum)
    unsigned current = 0;
    unsigned sent = 0;

    unsigned blockCount() const { return std::max<unsigned>(1, unsigned((object.size() + 1023) / 1024)); }

    Bytes operator()(const Bytes& request)
    {
        const std::uint8_t code = request[3];
        unsigned next = 0;
        if (request.size() == 8) {
            next = 1;
        } else if (request[4] == 2) {
            return {};  // the closing request is not answered
        } else if (current == 0) {
            next = 1;
        } else if (request[5] == std::uint8_t(current)) {
            next = current + 1;
        } else if (request[5] == std::uint8_t(current - 1)) {
            next = current;
        }
        if (next == 0 || next > blockCount())
            return {};
        current = next;
        ++sent;
        const std::size_t from = std::size_t(next - 1) * 1024;
        const std::size_t to = std::min(object.size(), from + 1024);
        Bytes data(2 + (to - from));
        data[0] = std::uint8_t(next == blockCount() ? 2 : 1);
        data[1] = std::uint8_t(next);
        std::copy(object.begin() + long(from), object.begin() + long(to), data.begin() + 2);
        if (truncateOnce.erase(next) != 0)
            data.pop_back();
        Bytes reply = cameraReply(code, data);
        if (corruptOnce.erase(next) != 0)
            reply.back() ^= 0x01;
        return reply;
    }
};

Bytes patterned(std::size_t size)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = std::uint8_t((i / 1024) * 7 + i);  // every block differs
    return bytes;
}

class PagedReadTest : public test::LinkTest {
protected:
    test::ScriptedTransport& serve(std::size_t size)
    {
        camera.object = patterned(size);
        return open([this](const Bytes& request) { return camera(request); });
    }

    BlockCamera camera;
};

TEST_F(PagedReadTest, AnObjectArrivesBlockByBlock)
{
    auto& transport = serve(2500);
    Bytes destination(2500);
    ASSERT_TRUE(link.ReadPicture(0x0102, destination));
    EXPECT_EQ(destination, camera.object);
    const auto& requests = transport.requests();
    ASSERT_EQ(requests.size(), 5u);  // the probe, three blocks, the closing request
    EXPECT_EQ(requests[1], (Bytes{0x40, 0x00, 0x05, 0x07, 0x00, 0x02, 0x01, 0x0A}));
    EXPECT_EQ(requests[2], (Bytes{0x40, 0x00, 0x04, 0x07, 0x01, 0x01, 0x09}));
    EXPECT_EQ(requests[3], (Bytes{0x40, 0x00, 0x04, 0x07, 0x01, 0x02, 0x0A}));
    EXPECT_EQ(requests[4], (Bytes{0x40, 0x00, 0x04, 0x07, 0x02, 0x03, 0x0C}));
    EXPECT_EQ(test::recordedProgress(), (std::vector<ProgressEvent>{{7, kProgressRange, 2500},
                                                                    {7, kProgressBegin, 0},
                                                                    {7, kProgressDone, 1024},
                                                                    {7, kProgressDone, 2048},
                                                                    {7, kProgressEnd, 0}}));
    // Each read asks for exactly one block reply.
    EXPECT_EQ(transport.largestRead(), 1031u);
}

TEST_F(PagedReadTest, ALastFirstBlockIsFollowedOnlyByTheClosingRequest)
{
    auto& transport = serve(700);
    Bytes destination(700);
    ASSERT_TRUE(link.ReadThumbnail(5, destination));
    EXPECT_EQ(destination, camera.object);
    ASSERT_EQ(transport.requests().size(), 3u);
    EXPECT_EQ(transport.requests()[2], (Bytes{0x40, 0x00, 0x04, 0x06, 0x02, 0x01, 0x09}));
}

TEST_F(PagedReadTest, PictureZeroStartsWithTheShortForm)
{
    auto& transport = serve(100);
    Bytes destination(100);
    ASSERT_TRUE(link.ReadPicture(0, destination));
    EXPECT_EQ(transport.requests()[1], (Bytes{0x40, 0x00, 0x04, 0x07, 0x00, 0x00, 0x07}));
}

TEST_F(PagedReadTest, ADamagedBlockIsSentAgain)
{
    auto& transport = serve(5000);
    camera.corruptOnce = {3};
    Bytes destination(5000);
    ASSERT_TRUE(link.ReadPicture(1, destination));
    EXPECT_EQ(destination, camera.object);
    // After block 3 failed the host repeats its acknowledgement of block 2
    // with the retry state.
    const auto& requests = transport.requests();
    const Bytes retry{0x40, 0x00, 0x04, 0x07, 0xFF, 0x02, std::uint8_t(0x07 + 0xFF + 0x02)};
    EXPECT_EQ(std::count(requests.begin(), requests.end(), retry), 1);
}

TEST_F(PagedReadTest, AShortBlockBeforeTheLastIsAskedForAgain)
{
    auto& transport = serve(4000);
    camera.truncateOnce = {2};
    Bytes destination(4000);
    ASSERT_TRUE(link.ReadPicture(1, destination));
    EXPECT_EQ(destination, camera.object);  // no hole where the byte was missing
    EXPECT_EQ(transport.requests().size(), 1u + 4 + 1 + 1);  // probe, blocks, repeat, closing
}

// The object has the size the caller was told: a last block that ends it
// early would leave its end unwritten, however well formed it is.
TEST_F(PagedReadTest, ALastBlockThatEndsTheObjectShortIsAskedForAgain)
{
    auto& transport = serve(4000);
    camera.truncateOnce = {4};
    Bytes destination(4000, 0xEE);
    ASSERT_TRUE(link.ReadPicture(1, destination));
    EXPECT_EQ(destination, camera.object);
    EXPECT_EQ(transport.requests().size(), 1u + 4 + 1 + 1);  // probe, blocks, repeat, closing

    // A camera whose object is shorter than announced never completes it.
    serve(3000);
    Bytes longer(3100);
    EXPECT_FALSE(link.ReadPicture(1, longer));
    serve(500);
    Bytes single(501);
    EXPECT_FALSE(link.ReadPicture(1, single));
}

TEST_F(PagedReadTest, FiveFailedBlocksEndTheReadWhereverTheyFell)
{
    serve(12 * 1024);
    camera.corruptOnce = {2, 4, 6, 8};
    Bytes destination(12 * 1024);
    EXPECT_TRUE(link.ReadPicture(1, destination));  // four are tolerated

    camera.current = 0;
    camera.corruptOnce = {2, 4, 6, 8, 10};
    EXPECT_FALSE(link.ReadPicture(1, destination));
}

TEST_F(PagedReadTest, The257thBlockLandsAt256Blocks)
{
    serve(257 * 1024 + 100);
    Bytes destination(camera.object.size());
    ASSERT_TRUE(link.ReadPicture(1, destination));
    EXPECT_TRUE(std::equal(destination.begin() + 256 * 1024, destination.end(), camera.object.begin() + 256 * 1024));
    EXPECT_EQ(destination, camera.object);
}

TEST_F(PagedReadTest, AFailedFirstBlockIsNotRetried)
{
    auto& transport = serve(3000);
    camera.corruptOnce = {1};
    Bytes destination(3000);
    EXPECT_FALSE(link.ReadPicture(1, destination));
    EXPECT_EQ(transport.requests().size(), 2u);
}

TEST_F(PagedReadTest, BlocksThatDoNotFitAreRefused)
{
    // The camera holds more than the caller said the object has: the data
    // never passes the destination's end.
    serve(3000);
    Bytes memory(2000 + 64, 0xEE);
    std::span<std::uint8_t> destination(memory.data(), 2000);
    EXPECT_FALSE(link.ReadPicture(1, destination));
    EXPECT_TRUE(std::all_of(memory.begin() + 2000, memory.end(), [](std::uint8_t b) { return b == 0xEE; }));

    // A block announcing more than 1028 bytes.
    open([](const Bytes& request) { return cameraReply(request[3], Bytes(1030, 1)); });
    Bytes big(4096);
    EXPECT_FALSE(link.ReadPicture(1, big));
}

TEST_F(PagedReadTest, AReplyInPiecesIsCompletedByOneMoreRead)
{
    auto& transport = serve(1500);
    Bytes destination(1500);
    transport.readResults = {10};  // the first block comes in two parts
    ASSERT_TRUE(link.ReadPicture(1, destination));
    EXPECT_EQ(destination, camera.object);
}

TEST_F(PagedReadTest, ChannelFailuresKeepTheirCodes)
{
    auto& transport = serve(1500);
    Bytes destination(1500);
    transport.readResults = {-1};
    EXPECT_FALSE(link.ReadPicture(1, destination));
    EXPECT_EQ(sys::GetLastError(), LINK_ERR_IO);
    camera.current = 0;
    transport.readResults = {0};
    EXPECT_FALSE(link.ReadPicture(1, destination));
    EXPECT_EQ(sys::GetLastError(), LINK_ERR_NO_DATA);
    camera.current = 0;
    transport.readResults = {2};
    EXPECT_FALSE(link.ReadPicture(1, destination));
    EXPECT_EQ(sys::GetLastError(), LINK_ERR_UNEXPECTED);
}

// A camera taking upload blocks: it records number, flag and size of each.
struct UploadCamera {
    struct Block {
        std::uint8_t number;
        std::uint8_t flag;
        std::size_t size;
        friend bool operator==(const Block&, const Block&) = default;
    };
    std::vector<Block> blocks;
    Bytes received;
    unsigned refuseBlock = 0;
    bool silent = false;

    Bytes operator()(const Bytes& request)
    {
        if (silent)
            return {};
        if (request[3] != 0x08)
            return cameraReply(request[3], {1});
        const std::size_t length = (std::size_t(request[1]) << 8) | request[2];
        blocks.push_back({request[4], request[5], length - 4});
        received.insert(received.end(), request.begin() + 6, request.end() - 1);
        return cameraReply(0x08, {std::uint8_t(blocks.size() == refuseBlock ? 0 : 1), 0});
    }
};

class UploadTest : public test::LinkTest {
protected:
    test::ScriptedTransport& serve()
    {
        return open([this](const Bytes& request) { return camera(request); });
    }
    UploadCamera camera;
};

unsigned pumps = 0;

TEST_F(UploadTest, ExactlyOneBlockTakesTheLastFlag)
{
    serve();
    const Bytes data = patterned(1024);
    ASSERT_TRUE(link.Upload(data));
    EXPECT_EQ(camera.blocks, (std::vector<UploadCamera::Block>{{1, 2, 1024}}));
    EXPECT_EQ(camera.received, data);
}

TEST_F(UploadTest, OneByteMoreNeedsASecondBlock)
{
    serve();
    const Bytes data = patterned(1025);
    ASSERT_TRUE(link.Upload(data));
    EXPECT_EQ(camera.blocks, (std::vector<UploadCamera::Block>{{1, 1, 1024}, {2, 2, 1}}));
    EXPECT_EQ(camera.received, data);
}

TEST_F(UploadTest, ProgressAndMessagesRunWhileBlocksGoOut)
{
    serve();
    pumps = 0;
    link.setMessagePump([] { ++pumps; });
    const Bytes data = patterned(4 * 1024 + 1);
    ASSERT_TRUE(link.Upload(data));
    EXPECT_EQ(camera.blocks.size(), 5u);
    EXPECT_EQ(pumps, 1u);  // after the third block
    EXPECT_EQ(test::recordedProgress(), (std::vector<ProgressEvent>{{8, kProgressRange, 4097},
                                                                    {8, kProgressBegin, 0},
                                                                    {8, kProgressDone, 1024},
                                                                    {8, kProgressDone, 2048},
                                                                    {8, kProgressDone, 3072},
                                                                    {8, kProgressDone, 4096}}));
}

TEST_F(UploadTest, ARefusedBlockEndsTheUpload)
{
    serve();
    camera.refuseBlock = 2;
    EXPECT_FALSE(link.Upload(patterned(3000)));
    EXPECT_EQ(camera.blocks.size(), 2u);
    EXPECT_EQ(test::recordedProgress().back(), (ProgressEvent{8, kProgressEnd, 0}));
    EXPECT_FALSE(link.Upload({}));
}

TEST_F(UploadTest, BlockNumbersWrapAt256)
{
    serve();
    ASSERT_TRUE(link.Upload(patterned(257 * 1024)));
    ASSERT_EQ(camera.blocks.size(), 257u);
    EXPECT_EQ(camera.blocks[254].number, 255);
    EXPECT_EQ(camera.blocks[255].number, 0);
    EXPECT_EQ(camera.blocks[256].number, 1);
    EXPECT_EQ(camera.blocks[256].flag, 2);
}

TEST_F(UploadTest, TheReplyIsGatheredUntilTheWindowCloses)
{
    auto& transport = serve();
    transport.readResults = {3, 0, 4};
    ASSERT_TRUE(link.Upload(patterned(10)));

    // A camera that never answers: the window (shortened here) runs out.
    camera.silent = true;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(link.Upload(patterned(10)));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(linkWait(5000)));
    EXPECT_EQ(sys::GetLastError(), LINK_ERR_NO_DATA);
    transport.readResults = {-1};
    EXPECT_FALSE(link.Upload(patterned(10)));
    EXPECT_EQ(sys::GetLastError(), LINK_ERR_IO);
}

}  // namespace
}  // namespace qm::device
