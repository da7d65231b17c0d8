// The camera layer on the simulated dual-mode camera: what an open
// programs, the bandwidth it takes, the registry it reads and writes, and
// that repeated capture gives back all it took.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/kernel/registry.h"
#include "platform/kernel/rtl.h"
#include "tests/videodriver/driver/rig/video_rig.h"

namespace qm::morvax::test {
namespace {

// Capture formats in the default order (320 x 240 first in each group).
constexpr ULONG kRgb320x240 = 0;
constexpr ULONG kRgb160x120 = 1;
constexpr ULONG kRgb176x144 = 2;
constexpr ULONG kRgb640x480 = 4;
constexpr ULONG kMjpg160x120 = 6;

constexpr USHORT kFrameControl = 0x1000;
constexpr USHORT kFrameRate = 0x1019;

ULONG rateField(dualcam::DualCamera& camera) { return (camera.registerValue(kFrameRate) >> 3) & 7; }
ULONG sizeField(dualcam::DualCamera& camera) { return (camera.registerValue(kFrameControl) >> 2) & 7; }

std::u16string readString(const std::u16string& key, const std::u16string& name)
{
    UNICODE_STRING keyName;
    RtlInitUnicodeString(&keyName, key.c_str());
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &keyName, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
    HANDLE handle = nullptr;
    if (!NT_SUCCESS(ZwOpenKey(&handle, KEY_READ, &attributes)))
        return u"(no key)";
    UNICODE_STRING valueName;
    RtlInitUnicodeString(&valueName, name.c_str());
    alignas(ULONG) UCHAR buffer[256] = {};
    ULONG length = 0;
    const NTSTATUS status =
        ZwQueryValueKey(handle, &valueName, KeyValuePartialInformation, buffer, sizeof buffer, &length);
    ZwClose(handle);
    if (!NT_SUCCESS(status))
        return u"(no value)";
    const auto* info = reinterpret_cast<const KEY_VALUE_PARTIAL_INFORMATION*>(buffer);
    std::u16string text(info->DataLength / 2, u'\0');
    std::memcpy(text.data(), info->Data, text.size() * 2);
    return text.substr(0, text.find(u'\0'));
}

// Creates a key and the keys above it that are missing.
void createKey(const std::u16string& key)
{
    for (std::size_t end = key.find(u'\\', 1);; end = key.find(u'\\', end + 1)) {
        std::u16string path = key.substr(0, end);
        RtlCreateRegistryKey(RTL_REGISTRY_ABSOLUTE, path.data());
        if (end == std::u16string::npos)
            return;
    }
}

void writeString(const std::u16string& key, const std::u16string& name, const std::u16string& value)
{
    createKey(key);
    ASSERT_EQ(RtlWriteRegistryValue(RTL_REGISTRY_ABSOLUTE, key.c_str(), name.c_str(), REG_SZ,
                                    const_cast<char16_t*>(value.c_str()), ULONG((value.size() + 1) * 2)),
              STATUS_SUCCESS);
}

class Capture : public VideoRig {};

TEST_F(Capture, FullSizeAtThirtyFramesPerSecondRunsAtRateIndexThree)
{
    auto stream = open(kCaptureStream, formatFor(kCaptureStream, kRgb640x480, 333667));
    ASSERT_TRUE(stream);
    EXPECT_EQ(rateField(camera()), 3u);
    EXPECT_EQ(sizeField(camera()), 0u);
}

TEST_F(Capture, TheRateAndSizeFollowTheOpenedFormat)
{
    auto stream = open(kCaptureStream, formatFor(kCaptureStream, kRgb320x240, 333667));
    EXPECT_EQ(rateField(camera()), 0u);
    EXPECT_EQ(sizeField(camera()), 3u);
    stream.reset();
    // Slower than a frame a second.
    stream = open(kCaptureStream, formatFor(kCaptureStream, kRgb160x120, 20000000));
    EXPECT_EQ(rateField(camera()), 7u);
    EXPECT_EQ(sizeField(camera()), 7u);
    stream.reset();
    // Stored pictures come at the rate field's value 3.
    stream = open(kStillStream, formatFor(kStillStream, 0, 333667));
    EXPECT_EQ(rateField(camera()), 3u);
}

TEST_F(Capture, MjpgFramesAreJpegFilesCarryingTheCamerasQualityAndTheirOwnSize)
{
    auto stream = openRunning(kCaptureStream, kMjpg160x120);
    ASSERT_TRUE(stream);
    const ULONG extent = imageSize(formatFor(kCaptureStream, kMjpg160x120));
    for (int i = 0; i < 3; ++i)
        stream->queueRead(extent);
    for (int i = 0; i < 3; ++i) {
        auto read = stream->waitForRead(kWaitLimitMs);
        ASSERT_TRUE(read);
        ASSERT_EQ(read->status, STATUS_SUCCESS);
        ASSERT_GT(read->data.size(), 613u);
        EXPECT_EQ(read->data[0], 0xFF);
        EXPECT_EQ(read->data[1], 0xD8);
        // The first frames come at the start-up quality 127.
        EXPECT_EQ(read->data[19], 127);
        EXPECT_EQ(ULONG(read->data[14] << 8 | read->data[15]), read->data.size());
    }
}

TEST_F(Capture, RepeatedCaptureGivesBackEverythingItTook)
{
    const auto baseline = driverPool();
    for (int cycle = 0; cycle < 3; ++cycle) {
        auto stream = openRunning(kCaptureStream, kRgb160x120);
        ASSERT_TRUE(stream);
        const ULONG extent = imageSize(formatFor(kCaptureStream, kRgb160x120));
        stream->queueRead(extent);
        stream->queueRead(extent);
        auto read = stream->waitForRead(kWaitLimitMs);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->status, STATUS_SUCCESS);
        EXPECT_EQ(stream->setState(KSSTATE_STOP), STATUS_SUCCESS);
        EXPECT_EQ(stream->close(), STATUS_SUCCESS);
        EXPECT_EQ(driverPool(), baseline) << "cycle " << cycle;
    }
}

TEST_F(Capture, OpeningWritesTheCameraAsTheActiveOne)
{
    writeString(u"\\Registry\\MACHINE\\SOFTWARE\\Quillon", u"ActiveMorvax", u"none");
    auto stream = open(kCaptureStream, formatFor(kCaptureStream, kRgb320x240));
    ASSERT_TRUE(stream);
    EXPECT_EQ(readString(u"\\Registry\\MACHINE\\SOFTWARE\\Quillon", u"ActiveMorvax"), u"VID_0784&PID_4200");
}

class NarrowBus : public VideoRig {
protected:
    RigOptions rigOptions() override
    {
        RigOptions options;
        // Room for alternate setting 5 (512 + 1 bytes a frame) but not 4.
        options.bandwidthLimit = 600;
        return options;
    }
};

TEST_F(NarrowBus, AfterAGrantAboveSettingFourOnlySmallFramesOpen)
{
    auto stream = open(kCaptureStream, formatFor(kCaptureStream, kRgb320x240));
    ASSERT_TRUE(stream);
    EXPECT_EQ(camera().alternateSetting(), 5);
    ASSERT_EQ(stream->close(), STATUS_SUCCESS);
    EXPECT_EQ(camera().alternateSetting(), 0);

    EXPECT_FALSE(open(kCaptureStream, formatFor(kCaptureStream, kRgb320x240), STATUS_INSUFFICIENT_RESOURCES));
    auto small = open(kCaptureStream, formatFor(kCaptureStream, kRgb176x144));
    EXPECT_TRUE(small);
}

class NamedSettingsKey : public VideoRig {
protected:
    RigOptions rigOptions() override
    {
        RigOptions options;
        options.start = false;
        return options;
    }
};

TEST_F(NamedSettingsKey, TheDeviceKeyCanPointAtAnotherSettingsKey)
{
    writeString(u"\\Registry\\MACHINE\\SOFTWARE\\Quillon\\VID_0784&PID_4200", u"RegistryPathName",
                u"\\Quillon\\Desk");
    const std::u16string settings = u"\\Registry\\MACHINE\\SOFTWARE\\Quillon\\Desk";
    createKey(settings);
    ULONG fullSize = 4;
    ASSERT_EQ(RtlWriteRegistryValue(RTL_REGISTRY_ABSOLUTE, settings.c_str(), u"DefaultVidFormat", REG_DWORD,
                                    &fullSize, sizeof fullSize),
              STATUS_SUCCESS);
    startRig({});
    const auto& first = host().description().streams[kCaptureStream].formats[0];
    EXPECT_EQ(reinterpret_cast<const KS_DATARANGE_VIDEO*>(first.data())->VideoInfoHeader.bmiHeader.biWidth, 640);
}

}  // namespace
}  // namespace qm::morvax::test
