#include "tests/device/protocol/scripted_transport.h"

#include <algorithm>

namespace qm::test {

Bytes cameraReply(std::uint8_t command, const Bytes& data)
{
    const std::size_t length = data.size() + 2;
    Bytes reply{0x40, std::uint8_t(length), std::uint8_t(length >> 8), std::uint8_t(command + 0x80)};
    reply.insert(reply.end(), data.begin(), data.end());
    std::uint8_t sum = 0;
    for (std::size_t i = 3; i < reply.size(); ++i)
        sum = std::uint8_t(sum + reply[i]);
    reply.push_back(sum);
    return reply;
}

ScriptedTransport::ScriptedTransport(Responder responder, device::TransportKind kind)
    : CameraTransport(kind), responder_(std::move(responder))
{
}

bool ScriptedTransport::Open(device::ProbeCallback probe, device::SpeedCallback, void* user)
{
    open_ = probe(user) != 0;
    return open_;
}

bool ScriptedTransport::Close()
{
    open_ = false;
    return true;
}

long ScriptedTransport::write(std::span<const std::uint8_t> data)
{
    if (!writeResults.empty()) {
        const long result = writeResults.front();
        writeResults.pop_front();
        if (result < long(data.size()))
            return result;
    }
    requests_.emplace_back(data.begin(), data.end());
    const Bytes answer = responder_(requests_.back());
    pending_.insert(pending_.end(), answer.begin(), answer.end());
    return long(data.size());
}

long ScriptedTransport::read(std::span<std::uint8_t> buffer)
{
    ++reads_;
    largestRead_ = std::max(largestRead_, buffer.size());
    std::size_t limit = buffer.size();
    if (!readResults.empty()) {
        const long result = readResults.front();
        readResults.pop_front();
        if (result < 0)
            return result;
        limit = std::min(limit, std::size_t(result));
    }
    const std::size_t count = std::min(limit, pending_.size());
    std::copy_n(pending_.begin(), count, buffer.begin());
    pending_.erase(pending_.begin(), pending_.begin() + long(count));
    return long(count);
}

bool ScriptedTransport::purge()
{
    ++purges_;
    pending_.clear();
    return true;
}

}  // namespace qm::test
