// What the simulated still camera costs a host: a paged read of a 1 MB
// picture straight into the camera (the baseline), over the USB cable
// socket in 64-byte packets, and over the pseudo-terminal without pacing.
// The summary prints the ratios; absolute times depend on the machine.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench/support/ratio_summary.h"
#include "platform/system/byte_order.h"
#include "platform/usb/virtual_cable.h"
#include "simulators/stillcam/protocol/packet.h"
#include "simulators/stillcam/still_camera.h"

namespace {

using namespace qm::stillcam;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kPictureSize = 1 << 20;

std::unique_ptr<StillCamera> bigPictureCamera()
{
    StillCameraConfig config;
    config.pictureCount = 0;
    config.memoryBytes = 8u << 20;
    auto camera = StillCamera::create(config);
    Bytes picture(kPictureSize);
    for (std::size_t i = 0; i < picture.size(); ++i)
        picture[i] = std::uint8_t(i * 131);
    camera->addPicture(picture);
    return camera;
}

Bytes blockRequest(bool first, std::uint8_t state, std::uint8_t sequence)
{
    Bytes body = first ? Bytes{CMD_READ_PICTURE, 0, 1, 0} : Bytes{CMD_READ_PICTURE, state, sequence};
    return frameRequest(body);
}

// A paged read through any exchange function; returns the bytes read.
template <typename Exchange>
std::size_t readPicture(Exchange&& exchange)
{
    std::size_t total = 0;
    Bytes reply = exchange(blockRequest(true, 0, 0), std::size_t(1031));
    while (reply.size() >= 7) {
        total += reply.size() - 7;
        if (reply[4] == 2) {
            exchange(blockRequest(false, 2, reply[5]), std::size_t(0));
            break;
        }
        const std::size_t left = kPictureSize - total;
        reply = exchange(blockRequest(false, reply[4], reply[5]), std::min<std::size_t>(left, 1024) + 7);
    }
    return total;
}

void direct(benchmark::State& state)
{
    auto camera = bigPictureCamera();
    for (auto _ : state)
        benchmark::DoNotOptimize(readPicture([&](const Bytes& request, std::size_t) { return camera->exchange(request); }));
    state.SetBytesProcessed(std::int64_t(state.iterations() * kPictureSize));
}

class CableClient {
public:
    explicit CableClient(const std::string& path)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        fd_ = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
        ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    ~CableClient() { ::close(fd_); }

    Bytes call(qm::usb::cable::Op op, std::uint8_t pipe, const std::uint8_t* data, std::uint32_t length)
    {
        std::uint8_t datagram[16 + 64];
        qm::sys::writeLe32(datagram, std::uint32_t(op));
        qm::sys::writeLe32(datagram + 4, pipe);
        qm::sys::writeLe32(datagram + 8, length);
        qm::sys::writeLe32(datagram + 12, 2000);
        const std::size_t payload = op == qm::usb::cable::Op::BulkOut ? length : 0;
        std::memcpy(datagram + 16, data, payload);
        ::send(fd_, datagram, 16 + payload, 0);
        std::uint8_t answer[8 + 64];
        const ssize_t n = ::recv(fd_, answer, sizeof answer, 0);
        return n > 8 ? Bytes(answer + 8, answer + n) : Bytes{};
    }

    // As the host transport: requests in padded 64-byte packets, replies
    // read 64 bytes at a time.
    Bytes exchange(const Bytes& request, std::size_t wanted)
    {
        for (std::size_t at = 0; at < request.size(); at += 64) {
            std::uint8_t packet[64] = {};
            std::memcpy(packet, request.data() + at, std::min<std::size_t>(64, request.size() - at));
            call(qm::usb::cable::Op::BulkOut, kRequestPipe, packet, 64);
        }
        Bytes reply;
        while (reply.size() < wanted) {
            Bytes part = call(qm::usb::cable::Op::BulkIn, kReplyPipe, nullptr, 64);
            if (part.empty())
                break;
            reply.insert(reply.end(), part.begin(), part.end());
        }
        return reply;
    }

private:
    int fd_ = -1;
};

void usbCable(benchmark::State& state)
{
    auto camera = bigPictureCamera();
    const std::string path = std::filesystem::temp_directory_path() / ("stillcam-bench-" + std::to_string(getpid()));
    camera->attachUsb(path);
    CableClient client(path);
    for (auto _ : state)
        benchmark::DoNotOptimize(readPicture([&](const Bytes& r, std::size_t n) { return client.exchange(r, n); }));
    state.SetBytesProcessed(std::int64_t(state.iterations() * kPictureSize));
}

void serialLine(benchmark::State& state)
{
    auto camera = bigPictureCamera();
    const std::string windows = std::filesystem::temp_directory_path() / ("stillcam-bench-w" + std::to_string(getpid()));
    camera->attachSerial(1, windows);
    const int fd = ::open(camera->serialLinkPath().c_str(), O_RDWR | O_NOCTTY);
    termios line{};
    tcgetattr(fd, &line);
    cfmakeraw(&line);
    cfsetspeed(&line, B9600);
    tcsetattr(fd, TCSANOW, &line);
    auto exchange = [&](const Bytes& request, std::size_t wanted) {
        [[maybe_unused]] auto written = ::write(fd, request.data(), request.size());
        Bytes reply(wanted);
        std::size_t got = 0;
        pollfd p = {fd, POLLIN, 0};
        while (got < wanted && ::poll(&p, 1, 2000) > 0) {
            const ssize_t n = ::read(fd, reply.data() + got, wanted - got);
            if (n <= 0)
                break;
            got += std::size_t(n);
        }
        reply.resize(got);
        return reply;
    };
    for (auto _ : state)
        benchmark::DoNotOptimize(readPicture(exchange));
    state.SetBytesProcessed(std::int64_t(state.iterations() * kPictureSize));
    ::close(fd);
    camera->unplug();
    std::filesystem::remove_all(windows);
}

BENCHMARK(direct)->Unit(benchmark::kMillisecond);
BENCHMARK(usbCable)->Unit(benchmark::kMillisecond);
BENCHMARK(serialLine)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return qm::bench::runWithRatioSummary(argc, argv,
                                          {"A 1 MB paged read, against the camera called directly:",
                                           {{"usbCable", "direct"}, {"serialLine", "direct"}},
                                           qm::bench::RatioClock::Real});
}
