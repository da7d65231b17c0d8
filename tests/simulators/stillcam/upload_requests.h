// The requests of an upload as the host sends them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "tests/simulators/stillcam/camera_host.h"

namespace qm::stillcam::test {

inline Bytes beginUploadRequest(std::uint32_t size)
{
    Bytes body(65, 0);  // the code, 1, 1, 0, 0x20, the size, 56 zero bytes
    body[0] = CMD_BEGIN_UPLOAD;
    body[1] = 1;
    body[2] = 1;
    body[4] = 0x20;
    for (int i = 0; i < 4; ++i)
        body[std::size_t(5 + i)] = std::uint8_t(size >> (8 * i));
    return request(body);
}

// CMD_WRITE_BLOCK requests: 1024 bytes with flag 1, the rest with flag 2.
inline std::vector<Bytes> writeBlockRequests(const Bytes& data)
{
    std::vector<Bytes> requests;
    std::uint8_t number = 1;
    for (std::size_t at = 0; at < data.size(); at += 1024, ++number) {
        const std::size_t n = std::min<std::size_t>(1024, data.size() - at);
        Bytes body{CMD_WRITE_BLOCK, number, std::uint8_t(at + n == data.size() ? 2 : 1)};
        body.insert(body.end(), data.begin() + long(at), data.begin() + long(at + n));
        requests.push_back(request(body));
    }
    return requests;
}

}  // namespace qm::stillcam::test
