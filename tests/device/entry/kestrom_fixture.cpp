#include "tests/device/entry/kestrom_fixture.h"

#include <filesystem>

#include "platform/system/byte_order.h"

namespace qm::device::test {

KestromTest::KestromTest() = default;

KestromTest::~KestromTest()
{
    unloadModule();
    camera = nullptr;
    rig.reset();
}

void KestromTest::start(stillcam::StillCameraConfig config, Attachment attachment, int serialPort)
{
    rig = std::make_unique<qm::test::StillCameraRig>(windows, config, attachment, serialPort);
    camera = rig->camera();
    ASSERT_NE(camera, nullptr) << rig->error();
    loadModule();
}

void KestromTest::loadModule()
{
    module = sys::LoadLibrary(windows.devicePath().c_str());
    ASSERT_NE(module, nullptr) << windows.devicePath();
    entry = sys::getProc<DriverEntryProc>(module, kDriverEntryName);
    ASSERT_NE(entry, nullptr);
}

void KestromTest::unloadModule()
{
    if (module != nullptr)
        sys::FreeLibrary(module);
    module = nullptr;
    entry = nullptr;
}

std::uint8_t KestromTest::call(std::uint32_t type, std::uint32_t code, void* out, void* data) const
{
    return entry(type, &code, out, data);
}

std::uint8_t KestromTest::connect(std::uint32_t* count, DriverProgressProc progress) const
{
    std::uint32_t windowHandle = 0x1234;
    std::uint32_t ignored = 0;
    return entry(kTypeConnect, &windowHandle, count != nullptr ? count : &ignored, reinterpret_cast<void*>(progress));
}

std::uint32_t KestromTest::readValue(std::uint32_t code) const
{
    std::uint32_t value = 0xDEADBEEF;
    EXPECT_EQ(call(kTypeReadValue, code, &value), kDriverSuccess) << "read " << code;
    return value;
}

void KestromTest::askPictureSize(std::uint32_t picture) const
{
    std::uint32_t width = picture;
    std::uint32_t height = 0;
    EXPECT_EQ(call(kTypeSize, kSizeOfPicture, &width, &height), kDriverSuccess) << "size of picture " << picture;
}

std::vector<std::uint8_t> KestromTest::commands() const
{
    std::vector<std::uint8_t> codes;
    for (const stillcam::CommandRecord& record : camera->commandLog())
        codes.push_back(record.code);
    return codes;
}

std::size_t KestromTest::countOf(std::uint8_t command) const
{
    std::size_t count = 0;
    for (std::uint8_t code : commands())
        count += code == command;
    return count;
}

std::optional<Dib> readDib(const std::vector<std::uint8_t>& buffer)
{
    if (buffer.size() < 40 || sys::readLe32(buffer.data()) != 40 || sys::readLe16(buffer.data() + 14) != 24)
        return std::nullopt;
    Dib dib;
    dib.width = int(sys::readLe32(buffer.data() + 4));
    dib.height = int(sys::readLe32(buffer.data() + 8));
    if (dib.width <= 0 || dib.height <= 0)
        return std::nullopt;
    dib.size = 40 + pictureBufferSize(std::uint32_t(dib.width), std::uint32_t(dib.height)) - 40;
    if (dib.size > buffer.size())
        return std::nullopt;
    return dib;
}

}  // namespace qm::device::test
