// Fuzzes the video driver's frame decoder. The first byte of an input says
// how the rest is used:
//
//   bit 0 clear   the rest is a whole JPEG file (MJPG frames, stills, files
//                 from elsewhere, two-field pictures)
//   bit 0 set     the rest is camera scan data: byte 1 is the quality byte
//                 Q and bits 1-3 pick the frame size; the driver's header
//                 goes in front, as on the RGB24 frame path
//   bit 4 set     fancy upsampling off (the merged 4:1:1 conversion)
//
// The output buffer is the driver's decode scratch buffer; a guard behind it
// must stay untouched, and every pool block must be back afterwards.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/kernel/pool.h"
#include "videodriver/jpeg/jpeg_decoder.h"
#include "videodriver/jpeg/jpeg_header.h"
#include "videodriver/jpeg/kernel_memory.h"

namespace {

using namespace qm::morvax;

constexpr std::size_t kDecodeScratchBytes = 1228800;
constexpr std::size_t kGuardBytes = 64;
constexpr std::uint8_t kGuard = 0xA5;

struct FrameSize {
    std::uint32_t width, height;
};
constexpr FrameSize kSizes[8] = {{160, 120}, {176, 144}, {320, 240}, {352, 288},
                                 {640, 480}, {640, 480}, {320, 240}, {160, 120}};

std::vector<std::uint8_t> withDriverHeader(const std::uint8_t* data, std::size_t size, std::uint8_t mode)
{
    std::vector<std::uint8_t> jpeg(kJpegTemplateSize);
    if (size < 1 || !generateJpegHeaderTemplate(jpeg))
        return {};
    const FrameSize frame = kSizes[(mode >> 1) & 7];
    const unsigned sampling = (frame.width == 160 || frame.width == 176) ? kSampling2x1 : kSampling411;
    ModifyJPEGHeader(jpeg, frame.height, frame.width, data[0], std::uint32_t(size - 1), sampling);
    jpeg.insert(jpeg.end(), data + 1, data + size);
    return jpeg;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::uint8_t mode = data[0];
    std::vector<std::uint8_t> input = (mode & 1) != 0 ? withDriverHeader(data + 1, size - 1, mode)
                                                      : std::vector<std::uint8_t>(data + 1, data + size);
    static std::vector<std::uint8_t> output(kDecodeScratchBytes + kGuardBytes);
    std::fill(output.end() - kGuardBytes, output.end(), kGuard);

    const auto poolBefore = qm::kernel::sim::poolUsage(kDecoderPoolTag);
    JpegDecodeDescriptor descriptor;
    descriptor.input = input.data();
    descriptor.inputLength = input.size();
    descriptor.output = output.data();
    descriptor.outputSize = kDecodeScratchBytes;
    descriptor.fancyUpsampling = (mode & 0x10) == 0;
    const bool decoded = decodeJpegFrame(&descriptor);

    if (decoded == descriptor.decodeError || descriptor.decoder != nullptr)
        std::abort();
    for (std::size_t i = kDecodeScratchBytes; i < output.size(); ++i)
        if (output[i] != kGuard)
            std::abort();
    if (!(qm::kernel::sim::poolUsage(kDecoderPoolTag) == poolBefore))
        std::abort();
    return 0;
}
