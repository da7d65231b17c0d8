#include "simulators/stillcam/serial/serial_attachment.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <vector>

namespace qm::stillcam {
namespace {

// A request whose bytes stop coming for this long is given up, so the next
// request is not taken for its tail.
constexpr std::uint64_t kInterByteLimitMs = 250;
constexpr unsigned kBitsPerByte = 10;  // start bit, 8 data bits, stop bit

std::uint64_t monotonicMs()
{
    using namespace std::chrono;
    return std::uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

SerialAttachment::SerialAttachment(CameraCore& core, bool pacing, std::function<void()> onUnplug)
    : core_(core), pacing_(pacing), onUnplug_(std::move(onUnplug))
{
}

SerialAttachment::~SerialAttachment() { detach(); }

bool SerialAttachment::attach(int port, const std::string& windowsDir, std::string* error)
{
    detach();
    if (port < 1 || port > 4) {
        if (error) *error = "serial port must be COM1..COM4";
        return false;
    }
    std::lock_guard lock(mutex_);
    line_ = PtyLine::open(error);
    if (!line_)
        return false;
    if (!link_.create(windowsDir, port, line_->slavePath(), error)) {
        line_.reset();
        return false;
    }
    wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_ < 0) {
        if (error) *error = "eventfd failed";
        link_.remove();
        line_.reset();
        return false;
    }
    stopping_ = false;
    releaseOnExit_ = false;
    assembler_.reset();
    attached_ = true;
    thread_ = std::thread([this] { run(); });
    return true;
}

void SerialAttachment::detach()
{
    if (thread_.joinable()) {
        stopping_ = true;
        const std::uint64_t one = 1;
        [[maybe_unused]] auto written = ::write(wake_, &one, sizeof one);
        if (thread_.get_id() == std::this_thread::get_id()) {
            // Asked from a listener on our own thread: the loop ends by
            // itself and lets go of the line on its way out.
            releaseOnExit_ = true;
            return;
        }
        thread_.join();
    }
    release();
    std::lock_guard lock(mutex_);
    if (wake_ >= 0) {
        ::close(wake_);
        wake_ = -1;
    }
}

void SerialAttachment::release()
{
    std::lock_guard lock(mutex_);
    attached_ = false;
    link_.remove();
    line_.reset();
}

std::string SerialAttachment::linkPath() const
{
    std::lock_guard lock(mutex_);
    return link_.path();
}

std::string SerialAttachment::devicePath() const
{
    std::lock_guard lock(mutex_);
    return line_ ? line_->slavePath() : std::string();
}

void SerialAttachment::run()
{
    std::vector<std::uint8_t> buffer(4096);
    while (!stopping_) {
        pollfd fds[2] = {{line_->master(), POLLIN, 0}, {wake_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents != 0 || stopping_)
            break;
        if ((fds[0].revents & POLLIN) == 0)
            continue;
        const ssize_t n = ::read(line_->master(), buffer.data(), buffer.size());
        if (n <= 0)
            continue;
        takeBytes(std::span<const std::uint8_t>(buffer.data(), std::size_t(n)));
    }
    if (releaseOnExit_)
        release();
}

void SerialAttachment::takeBytes(std::span<const std::uint8_t> bytes)
{
    const std::uint32_t rate = core_.serialRate();
    const auto host = line_->hostLine();
    if (!host || host->rate != rate || !host->eightNoneOne) {
        assembler_.reset();
        core_.announce(std::to_string(bytes.size()) + " bytes unheard: the host's line runs at " +
                       std::to_string(host ? host->rate : 0) + " bit/s" +
                       (host && !host->eightNoneOne ? " (not 8N1)" : "") + ", the camera at " +
                       std::to_string(rate));
        return;
    }
    const std::uint64_t now = monotonicMs();
    if (assembler_.partial() && now - lastByteMs_ > kInterByteLimitMs)
        assembler_.reset();
    lastByteMs_ = now;
    std::vector<Request> requests;
    assembler_.feedStream(bytes, requests);
    for (const Request& request : requests) {
        if (stopping_)
            return;
        serve(request, rate);
    }
}

void SerialAttachment::serve(const Request& request, std::uint32_t rate)
{
    // The request's own time on the line.
    if (pacing_ && !pause(std::uint32_t(request.bytes.size() * kBitsPerByte * 1000 / rate)))
        return;
    Answer answer = core_.handle(request);
    if (answer.unplug) {
        stopping_ = true;
        release();
        if (onUnplug_)
            onUnplug_();
        return;
    }
    if (answer.delayMs > 0 && !pause(answer.delayMs))
        return;
    if (!answer.bytes.empty() && !send(answer.bytes, rate))
        return;
    // The camera changes its rate once its reply is out.
    if (answer.rateAfter)
        core_.setSerialRate(*answer.rateAfter);
}

bool SerialAttachment::send(std::span<const std::uint8_t> bytes, std::uint32_t rate)
{
    const std::uint64_t start = monotonicMs();
    const std::size_t chunk = pacing_ ? std::max<std::size_t>(1, rate / kBitsPerByte / 100) : bytes.size();
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const std::size_t want = std::min(chunk, bytes.size() - sent);
        if (pacing_) {
            // The bytes reach the host once their last bit is through.
            const std::uint64_t due = start + ((sent + want) * kBitsPerByte * 1000 + rate - 1) / rate;
            const std::uint64_t now = monotonicMs();
            if (due > now && !pause(std::uint32_t(due - now)))
                return false;
        }
        const ssize_t n = ::write(line_->master(), bytes.data() + sent, want);
        if (n > 0) {
            sent += std::size_t(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (n < 0 && errno == EAGAIN) {
            // The host is not reading; wait for room or to be told to stop.
            pollfd fds[2] = {{line_->master(), POLLOUT, 0}, {wake_, POLLIN, 0}};
            ::poll(fds, 2, -1);
            if (stopping_)
                return false;
        }
    }
    return true;
}

bool SerialAttachment::pause(std::uint32_t milliseconds)
{
    pollfd fd = {wake_, POLLIN, 0};
    const std::uint64_t until = monotonicMs() + milliseconds;
    for (std::uint64_t now = monotonicMs(); now < until; now = monotonicMs()) {
        if (::poll(&fd, 1, int(until - now)) > 0)
            return false;
    }
    return !stopping_;
}

}  // namespace qm::stillcam
