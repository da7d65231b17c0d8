// The snapshot command: one frame of the live video, taken by the driver's
// software snapshot and written as a bitmap file.
#include <cerrno>
#include <charconv>
#include <cstring>

#include "apps/common/output_paths.h"
#include "apps/qmvideo/exit_codes.h"
#include "apps/qmvideo/format_text.h"
#include "apps/qmvideo/frame_files.h"
#include "apps/qmvideo/property_access.h"
#include "apps/qmvideo/qmvideo.h"
#include "platform/system/byte_order.h"
#include "platform/system/files.h"
#include "videodriver/properties/morvax_properties.h"

namespace qm::qmvideo {

namespace {

using namespace morvax;

constexpr ULONG kCapturePin = 0;
constexpr ULONG kReadsWaiting = 4;
constexpr ULONG kBitmapHeader = 40;
// Room for the largest frame the camera sends.
constexpr ULONG kLargestBitmap = kBitmapHeader + 640 * 480 * 3;

// The driver writes the bitmap into our buffer, whose address and size go
// in the request.
NTSTATUS takeBitmap(AdapterHost& host, std::vector<UCHAR>& bitmap, ULONG& written)
{
    SnapshotBitmapRequest property{};
    property.Property.Set = PROPSETID_MORVAX_CUSTOM;
    property.Property.Id = kCustomSnapshotBitmap;
    property.Property.Flags = KSPROPERTY_TYPE_SET;
    SnapshotBitmapRequest value = property;
    value.Address = reinterpret_cast<ULONGLONG>(bitmap.data());
    value.BufferSize = ULONG(bitmap.size());
    ULONG bytes = 0;
    const NTSTATUS status = host.setDeviceProperty({reinterpret_cast<const UCHAR*>(&property), sizeof property},
                                                   {reinterpret_cast<UCHAR*>(&value), sizeof value}, bytes);
    written = value.BytesWritten;
    return status;
}

int runSnapshot(CommandContext& context, const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return context.usage("snapshot needs a file name");
    const std::string& path = arguments[0];
    ULONG formatIndex = 0;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& value = i + 1 < arguments.size() ? arguments[i + 1] : std::string();
        const char* end = value.data() + value.size();
        if (arguments[i] != "--format" || value.empty() || std::from_chars(value.data(), end, formatIndex).ptr != end)
            return context.usage("unknown option " + arguments[i]);
        ++i;
    }
    VideoSession* session = context.session();
    if (session == nullptr)
        return kExitNoDriver;
    AdapterHost& host = session->host();
    const auto& ranges = host.description().streams.at(kCapturePin).formats;
    if (formatIndex >= ranges.size())
        return context.usage("the capture pin has no format " + std::to_string(formatIndex));
    std::vector<UCHAR> format(sizeof(KS_DATAFORMAT_VIDEOINFOHEADER));
    ULONG bytes = 0;
    std::unique_ptr<Stream> stream;
    NTSTATUS status = host.dataIntersection(kCapturePin, ranges[formatIndex], format, bytes);
    if (NT_SUCCESS(status))
        status = host.openStream(kCapturePin, format, stream);
    if (!NT_SUCCESS(status)) {
        std::fprintf(context.err(), "qmvideo: the capture pin did not open (%s)\n", statusText(status).c_str());
        return kExitFailed;
    }
    // Frames reach the driver's frame path only while reads wait for them.
    stream->setState(KSSTATE_PAUSE);
    for (ULONG i = 0; i < kReadsWaiting; ++i)
        stream->queueRead(ULONG(describeRange(ranges[formatIndex]).imageSize));
    stream->setState(KSSTATE_RUN);
    status = setProperty(host, PROPSETID_MORVAX_CUSTOM, kCustomSnapshot, 1);
    std::vector<UCHAR> bitmap(kLargestBitmap);
    ULONG written = 0;
    if (NT_SUCCESS(status))
        status = takeBitmap(host, bitmap, written);
    stream->setState(KSSTATE_STOP);
    stream->close();
    if (!NT_SUCCESS(status) || written < kBitmapHeader) {
        std::fprintf(context.err(), "qmvideo: no snapshot (%s)\n", statusText(status).c_str());
        return kExitFailed;
    }
    const long width = long(sys::readLe32(&bitmap[4]));
    const long height = long(sys::readLe32(&bitmap[8]));
    const auto file = bitmapFile(width, height, std::span<const UCHAR>(bitmap).subspan(kBitmapHeader, written - kBitmapHeader));
    if (!file)
        return context.fail("the snapshot is no bitmap of its own size", kExitFailed);
    std::string problem;
    if (!apps::ensureDirectoryOf(path, problem))
        return context.fail(problem, kExitFailed);
    if (!sys::writeFileAtomically(path, *file))
        return context.fail("cannot write " + path + ": " + std::strerror(errno), kExitFailed);
    std::fprintf(context.out(), "snapshot %ld x %ld -> %s\n", width, height, path.c_str());
    return kExitOk;
}

}  // namespace

const Command kSnapshotCommand = {
    "snapshot",
    "  snapshot FILE [--format N]    one frame of the live video (format N of the capture pin) as a\n"
    "                                bitmap file, taken by the driver's software snapshot\n",
    runSnapshot};

}  // namespace qm::qmvideo
