#include "simulators/stillcam/protocol/packet.h"

#include <algorithm>

#include "platform/system/byte_order.h"

namespace qm::stillcam {

std::uint8_t checksum(std::span<const std::uint8_t> bytes)
{
    std::uint8_t sum = 0;
    for (std::uint8_t b : bytes)
        sum = std::uint8_t(sum + b);
    return sum;
}

std::vector<std::uint8_t> frameReply(std::span<const std::uint8_t> body)
{
    std::vector<std::uint8_t> packet(kHeaderSize + body.size() + 1);
    packet[0] = kStartByte;
    sys::writeLe16(&packet[1], std::uint16_t(body.size() + 1));
    std::copy(body.begin(), body.end(), packet.begin() + kHeaderSize);
    packet.back() = checksum(body);
    return packet;
}

std::vector<std::uint8_t> frameRequest(std::span<const std::uint8_t> body)
{
    std::vector<std::uint8_t> packet(kHeaderSize + body.size() + 1);
    packet[0] = kStartByte;
    sys::writeBe16(&packet[1], std::uint16_t(body.size() + 1));
    std::copy(body.begin(), body.end(), packet.begin() + kHeaderSize);
    packet.back() = checksum(body);
    return packet;
}

std::span<const std::uint8_t> Request::parameters() const
{
    if (bytes.size() < kHeaderSize + 2)
        return {};
    return std::span<const std::uint8_t>(bytes).subspan(kHeaderSize + 1, bytes.size() - kHeaderSize - 2);
}

Request makeRequest(std::vector<std::uint8_t> packet)
{
    Request request;
    if (packet.size() >= kHeaderSize + 2) {
        auto body = std::span<const std::uint8_t>(packet).subspan(kHeaderSize, packet.size() - kHeaderSize - 1);
        request.checksumGood = checksum(body) == packet.back();
    }
    request.bytes = std::move(packet);
    return request;
}

namespace {

// A length field every request can have: at least a code and a checksum.
bool plausibleLength(std::size_t length) { return length >= 2 && length <= kMaxRequestLength; }

}  // namespace

std::size_t RequestAssembler::take(std::span<const std::uint8_t> bytes, std::vector<Request>& complete)
{
    std::size_t used = 0;
    while (used < bytes.size()) {
        if (pending_.size() < kHeaderSize) {
            pending_.push_back(bytes[used++]);
            if (pending_.size() == kHeaderSize && !plausibleLength(sys::readBe16(&pending_[1])))
                return used;  // the caller decides how to recover
            continue;
        }
        std::size_t total = kHeaderSize + sys::readBe16(&pending_[1]);
        std::size_t want = std::min(total - pending_.size(), bytes.size() - used);
        pending_.insert(pending_.end(), bytes.begin() + long(used), bytes.begin() + long(used + want));
        used += want;
        if (pending_.size() == total) {
            complete.push_back(makeRequest(std::move(pending_)));
            pending_.clear();
            return used;
        }
    }
    return used;
}

void RequestAssembler::feedStream(std::span<const std::uint8_t> bytes, std::vector<Request>& complete)
{
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        if (pending_.empty()) {
            auto start = std::find(bytes.begin() + long(pos), bytes.end(), kStartByte);
            if (start == bytes.end())
                return;
            pos = std::size_t(start - bytes.begin());
        }
        pos += take(bytes.subspan(pos), complete);
        if (pending_.size() == kHeaderSize && !plausibleLength(sys::readBe16(&pending_[1]))) {
            // Not a request after all: look again just after this start byte.
            std::vector<std::uint8_t> rest(pending_.begin() + 1, pending_.end());
            pending_.clear();
            feedStream(rest, complete);
        }
    }
}

void RequestAssembler::feedPacket(std::span<const std::uint8_t> packet, std::vector<Request>& complete)
{
    if (pending_.empty() && (packet.empty() || packet[0] != kStartByte))
        return;  // no request starts here
    take(packet, complete);
    if (pending_.size() == kHeaderSize && !plausibleLength(sys::readBe16(&pending_[1])))
        pending_.clear();
    // Whatever follows a completed request in this packet is padding.
}

}  // namespace qm::stillcam
