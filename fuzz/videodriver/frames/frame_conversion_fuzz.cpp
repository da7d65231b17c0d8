// Fuzzes MORVAX_ProcessRawVideoFrame, the conversion of one finished frame.
// The first byte of an input picks the stream:
//
//   bits 0-2   frame size (the five sizes, then 640 x 480 again)
//   bit 3      MJPG output (else RGB24)
//   bit 4      the still pin (640 x 480 stored pictures)
//   bit 5      a software snapshot is pending
//   bit 6      the frame had bad packets
//
// The rest is what arrived at the read's raw data pointer. The buffers are
// the ones the engine and the camera layer use, each with a guard behind it
// that must stay untouched; the camera is unplugged, so every register
// access of the frame's exposure and white-balance work fails, and all pool
// the decoder took must be back afterwards.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/kernel/pool.h"
#include "videodriver/camera/morvax_callbacks.h"
#include "videodriver/engine/channel.h"
#include "videodriver/engine/device_extension.h"
#include "videodriver/jpeg/kernel_memory.h"

namespace {

using namespace qm::morvax;

constexpr std::size_t kGuardBytes = 64;
constexpr std::uint8_t kGuard = 0xA5;
constexpr ULONG kRawFrameLength = 614400;

struct StreamSize {
    ULONG width, height;
};
constexpr StreamSize kSizes[8] = {{160, 120}, {176, 144}, {320, 240}, {352, 288},
                                  {640, 480}, {640, 480}, {640, 480}, {640, 480}};

// A device extension with the camera's context behind it, its buffers taken
// once and kept for every input.
struct Device {
    std::vector<unsigned char> extension = std::vector<unsigned char>(sizeof(DeviceExtension) + sizeof(MorvaxContext));
    MorvaxContext* camera = nullptr;

    Device()
    {
        auto* device = reinterpret_cast<DeviceExtension*>(extension.data());
        device->DevicePresent = kDeviceRemoved;
        camera = static_cast<MorvaxContext*>(cameraContext(device));
        morvaxSetDefaults(camera);
        MORVAX_Initialize(nullptr, camera);
    }
};

std::vector<std::uint8_t> guarded(std::size_t bytes)
{
    std::vector<std::uint8_t> buffer(bytes + kGuardBytes, 0);
    std::fill(buffer.end() - kGuardBytes, buffer.end(), kGuard);
    return buffer;
}

void checkGuard(const std::vector<std::uint8_t>& buffer)
{
    if (!std::all_of(buffer.end() - kGuardBytes, buffer.end(), [](std::uint8_t b) { return b == kGuard; }))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Device device;
    if (size < 1)
        return 0;
    const std::uint8_t mode = data[0];
    MorvaxContext* camera = device.camera;
    const bool still = (mode & 0x10) != 0;
    const StreamSize stream = still ? StreamSize{640, 480} : kSizes[mode & 7];
    camera->Width = stream.width;
    camera->Height = stream.height;
    camera->StillMode = still;
    camera->OutputCompression = (mode & 0x08) != 0 || still ? kCompressionMjpg : kCompressionRgb24;
    camera->SoftwareSnapshot = (mode & 0x20) != 0;
    camera->HardwareSnapshot = 0;
    camera->StillDownloadFailed = 0;

    // As the engine lays out a read: its raw buffer with the reserve in
    // front, the frame's bytes, the output of the format's image size.
    std::vector<std::uint8_t> raw = guarded(kRawFrameLength);
    const ULONG received = ULONG(std::min<std::size_t>(size - 1, kRawFrameLength - kRawBufferReserve));
    std::copy_n(data + 1, received, raw.begin() + kRawBufferReserve);
    std::vector<std::uint8_t> output = guarded(stream.width * stream.height * 3);
    MorvaxFrameContext frameContext{(mode & 0x40) == 0 ? 1u : 0u};

    const auto poolBefore = qm::kernel::sim::poolUsage(kDecoderPoolTag);
    ULONG bytesReturned = 0;
    const NTSTATUS status = MORVAX_ProcessRawVideoFrame(
        nullptr, camera, &frameContext, output.data(), ULONG(output.size() - kGuardBytes), raw.data(),
        raw.data() + kRawBufferReserve, kRawFrameLength, received, &bytesReturned);

    checkGuard(raw);
    checkGuard(output);
    if (NT_SUCCESS(status) != (bytesReturned != 0) || bytesReturned > output.size() - kGuardBytes)
        std::abort();
    if (camera->LastFrameLength > kLastFrameSize)
        std::abort();
    if (!(qm::kernel::sim::poolUsage(kDecoderPoolTag) == poolBefore))
        std::abort();
    return 0;
}
