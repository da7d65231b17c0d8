// The two block transfers of the protocol: the paged read of pictures and
// thumbnails, and the upload of an image.
#include <algorithm>
#include <array>

#include "device/protocol/camera_link.h"
#include "device/protocol/link_errors.h"
#include "device/protocol/packet.h"
#include "device/transport/link_timing.h"
#include "platform/system/last_error.h"
#include "platform/system/timing.h"

namespace qm::device {
namespace {

constexpr std::uint32_t kSendDelayMs = 25;
constexpr std::uint32_t kFirstBlockDelayMs = 200;
constexpr std::uint32_t kUploadReplyWindowMs = 5000;
constexpr std::uint32_t kEmptyReadPauseMs = 10;
constexpr std::size_t kBlockPacket = kHeaderSize + kMaxBlockLength;  // 1031
constexpr std::size_t kWriteBlockReplySize = 7;
constexpr unsigned kPumpEveryBlocks = 3;

}  // namespace

bool CameraLink::readBlock(std::uint8_t command, std::span<std::uint8_t> destination, std::uint8_t& state,
                           std::uint8_t& sequence)
{
    if (!transport_)
        return false;
    std::array<std::uint8_t, kBlockPacket> block{};
    const std::size_t wanted = std::min(destination.size(), kBlockDataSize) + kBlockReplyOverhead;
    long got = transport_->read(std::span(block).first(wanted));
    if (got == kTransportCallFailed) {
        sys::SetLastError(LINK_ERR_IO);
        return false;
    }
    if (got == 0) {
        sys::SetLastError(LINK_ERR_NO_DATA);
        return false;
    }
    auto arrived = std::size_t(got);
    const auto length = replyLength(std::span(block).first(arrived));
    if (!length) {
        sys::SetLastError(LINK_ERR_UNEXPECTED);
        return false;
    }
    if (*length > kMaxBlockLength || *length < 4)
        return false;
    // The reply may announce more than the first read asked for: fetch the
    // rest once.
    const std::size_t total = kHeaderSize + *length;
    if (arrived < total) {
        got = transport_->read(std::span(block).subspan(arrived, total - arrived));
        if (got == kTransportCallFailed) {
            sys::SetLastError(LINK_ERR_IO);
            return false;
        }
        arrived += std::size_t(got);
        if (arrived < total) {
            sys::SetLastError(got == 0 ? LINK_ERR_NO_DATA : LINK_ERR_UNEXPECTED);
            return false;
        }
    }
    if (!replyIsValid(std::span(block).first(total), command))
        return false;
    const std::size_t data = *length - 4;
    if (data > destination.size())
        return false;
    // Only the last block may be short, and it must end the object where the
    // caller was told it ends; any other leaves a hole or a cut end, so it is
    // asked for again.
    if (block[4] != kBlockStateLast ? data != kBlockDataSize : data != destination.size())
        return false;
    std::copy_n(block.begin() + 6, data, destination.begin());
    state = block[4];
    sequence = block[5];
    return true;
}

bool CameraLink::pagedRead(std::uint8_t command, std::uint16_t picture, std::span<std::uint8_t> destination)
{
    beginCommand(command);
    const std::size_t size = destination.size();
    progress(kProgressRange, std::uint32_t(size));
    progress(kProgressBegin, 0);

    std::uint8_t state = 0;
    std::uint8_t sequence = 0;
    std::uint64_t wraps = 0;
    unsigned failures = 0;

    // The first request names the picture; picture 0 uses the short form.
    bool sent = false;
    if (picture != 0) {
        const std::array<std::uint8_t, 3> parameters = {state, std::uint8_t(picture), std::uint8_t(picture >> 8)};
        sent = sendRequest(command, parameters);
        if (sent) {
            sys::Sleep(linkWait(kSendDelayMs));
            sys::Sleep(linkWait(kFirstBlockDelayMs));
        }
    } else {
        const std::array<std::uint8_t, 2> parameters = {state, sequence};
        sent = sendRequest(command, parameters);
        if (sent)
            sys::Sleep(linkWait(kSendDelayMs));
    }
    if (!sent || !readBlock(command, destination, state, sequence))
        return false;

    while (state != kBlockStateLast) {
        if (failures >= kMaxFailedBlocks)
            return false;
        // Block k (sequence k modulo 256) belongs at (k - 1) x 1024; the
        // request carries the sequence of the last block received.
        const std::uint64_t position = (wraps * 256 + sequence) * kBlockDataSize;
        if (position >= size)
            return false;
        const std::array<std::uint8_t, 2> parameters = {state, sequence};
        bool received = sendRequest(command, parameters);
        if (received) {
            sys::Sleep(linkWait(kSendDelayMs));
            received = readBlock(command, destination.subspan(std::size_t(position)), state, sequence);
        }
        if (!received) {
            state = kBlockStateRetry;  // the camera sends the same block again
            ++failures;
            continue;
        }
        progress(kProgressDone, std::uint32_t(position));
        if (sequence == 0)
            ++wraps;
    }

    progress(kProgressEnd, 0);
    // The closing request is not answered.
    const std::array<std::uint8_t, 2> parameters = {kBlockStateLast, sequence};
    return sendRequest(command, parameters);
}

bool CameraLink::writeBlock(std::uint8_t block, std::uint8_t flag, std::span<const std::uint8_t> data)
{
    beginCommand(CMD_WRITE_BLOCK);
    if (data.size() > kBlockDataSize)
        return false;
    std::array<std::uint8_t, 2 + kBlockDataSize> parameters{};
    parameters[0] = block;
    parameters[1] = flag;
    std::copy(data.begin(), data.end(), parameters.begin() + 2);
    std::array<std::uint8_t, kBlockPacket> request{};
    const std::size_t size = frameRequest(CMD_WRITE_BLOCK, std::span(parameters).first(2 + data.size()), request);
    if (size == 0 || !send(std::span(request).first(size)))
        return false;
    const std::uint32_t sentAt = sys::GetTickCount();
    sys::Sleep(linkWait(kSendDelayMs));

    // The camera may take a while to store the block: gather its reply until
    // it is complete or the window closes (on the platform's clock, like
    // every other wait of the link; whole ticks, so the window is held open
    // through its last one).
    std::array<std::uint8_t, kWriteBlockReplySize> reply{};
    std::size_t received = 0;
    const std::uint32_t window = linkWait(kUploadReplyWindowMs);
    while (received < reply.size() && sys::GetTickCount() - sentAt <= window) {
        const long got = transport_->read(std::span(reply).subspan(received));
        if (got == kTransportCallFailed) {
            sys::SetLastError(LINK_ERR_IO);
            return false;
        }
        received += std::size_t(got);
        if (got == 0)
            sys::Sleep(linkWait(kEmptyReadPauseMs));
    }
    if (received < reply.size()) {
        sys::SetLastError(received == 0 ? LINK_ERR_NO_DATA : LINK_ERR_UNEXPECTED);
        return false;
    }
    return replyIsValid(reply, CMD_WRITE_BLOCK) && reply[4] != 0;
}

bool CameraLink::Upload(std::span<const std::uint8_t> data)
{
    currentCommand_ = CMD_WRITE_BLOCK;
    progress(kProgressRange, std::uint32_t(data.size()));
    progress(kProgressBegin, 0);
    if (data.empty() || !transport_) {
        progress(kProgressEnd, 0);
        return false;
    }

    std::uint8_t block = 1;
    std::size_t offset = 0;
    while (data.size() - offset > kBlockDataSize) {
        if (!writeBlock(block, kUploadMoreFollow, data.subspan(offset, kBlockDataSize))) {
            progress(kProgressEnd, 0);
            return false;
        }
        offset += kBlockDataSize;
        progress(kProgressDone, std::uint32_t(offset));
        if (block % kPumpEveryBlocks == 0 && messagePump_)
            messagePump_();
        ++block;
    }
    if (!writeBlock(block, kUploadLastBlock, data.subspan(offset))) {
        progress(kProgressEnd, 0);
        return false;
    }
    return true;
}

}  // namespace qm::device
