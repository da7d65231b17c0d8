#include "tests/panel/integration/acquisition_support.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/system/byte_order.h"
#include "platform/system/files.h"
#include "platform/system/global_memory.h"
#include "platform/system/library.h"

extern "C" qm::twain::TW_UINT16 DSM_Entry(qm::twain::TW_IDENTITY*, qm::twain::TW_IDENTITY*, qm::twain::TW_UINT32,
                                         qm::twain::TW_UINT16, qm::twain::TW_UINT16, qm::twain::TW_MEMREF);

namespace qm::panel::test {

using namespace twain;

namespace {

std::mutex notificationLock;
std::vector<TW_UINT16> received;

TW_UINT16 onSourceMessage(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16 message, TW_MEMREF)
{
    std::lock_guard<std::mutex> lock(notificationLock);
    received.push_back(message);
    return TWRC_SUCCESS;
}

}  // namespace

bool rgbFromDib(const std::uint8_t* dib, std::size_t size, RgbPicture& out)
{
    if (size < 40 || sys::readLe32(dib) != 40 || sys::readLe16(dib + 14) != 24)
        return false;
    const int width = std::int32_t(sys::readLe32(dib + 4));
    const int height = std::int32_t(sys::readLe32(dib + 8));
    if (width <= 0 || height <= 0)
        return false;
    const std::size_t stride = device::dibRowBytes(std::uint32_t(width));
    if (size < 40 + stride * std::size_t(height))
        return false;
    out.width = width;
    out.height = height;
    out.rgb.resize(std::size_t(width) * std::size_t(height) * 3);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = dib + 40 + std::size_t(height - 1 - y) * stride;
        std::uint8_t* target = out.rgb.data() + std::size_t(y) * std::size_t(width) * 3;
        for (int x = 0; x < width; ++x) {
            target[3 * x] = row[3 * x + 2];
            target[3 * x + 1] = row[3 * x + 1];
            target[3 * x + 2] = row[3 * x];
        }
    }
    return true;
}

TwainApplication::TwainApplication()
{
    application_.ProtocolMajor = 2;
    application_.ProtocolMinor = 4;
    application_.SupportedGroups = DG_CONTROL | DG_IMAGE;
    std::strcpy(application_.ProductName, "Panel Acquisition Test");
    clearNotifications();
}

TwainApplication::~TwainApplication()
{
    close();
}

TW_UINT16 TwainApplication::toManager(TW_UINT16 dataType, TW_UINT16 message, void* data)
{
    return DSM_Entry(&application_, nullptr, DG_CONTROL, dataType, message, data);
}

TW_UINT16 TwainApplication::toSource(TW_UINT32 group, TW_UINT16 dataType, TW_UINT16 message, void* data)
{
    return DSM_Entry(&application_, &source_, group, dataType, message, data);
}

TW_UINT16 TwainApplication::condition()
{
    TW_STATUS status{};
    toSource(DG_CONTROL, DAT_STATUS, MSG_GET, &status);
    return status.ConditionCode;
}

::testing::AssertionResult TwainApplication::open(TW_UINT16 mechanism)
{
    void* parent = nullptr;
    if (toManager(DAT_PARENT, MSG_OPENDSM, &parent) != TWRC_SUCCESS)
        return ::testing::AssertionFailure() << "the source manager does not open";
    managerOpen_ = true;
    if (toManager(DAT_IDENTITY, MSG_GETFIRST, &source_) != TWRC_SUCCESS)
        return ::testing::AssertionFailure() << "no source installed";
    if (toManager(DAT_IDENTITY, MSG_OPENDS, &source_) != TWRC_SUCCESS)
        return ::testing::AssertionFailure() << "the source does not open";
    sourceOpen_ = true;
    TW_CALLBACK callback{reinterpret_cast<TW_MEMREF>(&onSourceMessage), 0, 0};
    if (toSource(DG_CONTROL, DAT_CALLBACK, MSG_REGISTER_CALLBACK, &callback) != TWRC_SUCCESS)
        return ::testing::AssertionFailure() << "no callback";
    // Containers are the application's: calloc'd, and freed with free().
    auto* container = static_cast<std::uint8_t*>(std::calloc(1, 6));
    container[0] = TWTY_UINT16;
    container[2] = std::uint8_t(mechanism);
    TW_CAPABILITY capability{ICAP_XFERMECH, TWON_ONEVALUE, container};
    const TW_UINT16 rc = toSource(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability);
    std::free(container);
    if (rc != TWRC_SUCCESS)
        return ::testing::AssertionFailure() << "mechanism " << mechanism << " refused";
    mechanism_ = mechanism;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult TwainApplication::enable()
{
    TW_USERINTERFACE ui{TW_TRUE, TW_FALSE, nullptr};
    if (toSource(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui) != TWRC_SUCCESS)
        return ::testing::AssertionFailure() << "enable refused, condition " << condition();
    enabled_ = true;
    return ::testing::AssertionSuccess();
}

TW_UINT16 TwainApplication::transfer(const std::string& directory, RgbPicture& picture)
{
    TW_IMAGEINFO info{};
    if (toSource(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) != TWRC_SUCCESS)
        return TWRC_FAILURE;
    if (mechanism_ == TWSX_NATIVE) {
        TW_HANDLE handle = nullptr;
        const TW_UINT16 rc = toSource(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle);
        if (rc == TWRC_XFERDONE) {
            const bool ok = rgbFromDib(static_cast<std::uint8_t*>(handle), sys::GlobalSize(handle), picture);
            std::free(handle);  // a handed-over block is a calloc'd one
            return ok ? rc : TWRC_FAILURE;
        }
        return rc;
    }
    if (mechanism_ == TWSX_MEMORY) {
        TW_SETUPMEMXFER setup{};
        if (toSource(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup) != TWRC_SUCCESS)
            return TWRC_FAILURE;
        std::vector<std::uint8_t> buffer(setup.Preferred);
        picture = RgbPicture{int(info.ImageWidth), int(info.ImageLength), {}};
        TW_UINT16 rc = TWRC_SUCCESS;
        while (rc == TWRC_SUCCESS) {
            TW_IMAGEMEMXFER xfer{};
            xfer.Memory = TW_MEMORY{TWMF_APPOWNS | TWMF_POINTER, TW_UINT32(buffer.size()), buffer.data()};
            rc = toSource(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer);
            if (rc != TWRC_SUCCESS && rc != TWRC_XFERDONE)
                return rc;
            for (TW_UINT32 row = 0; row < xfer.Rows; ++row) {
                const std::uint8_t* from = buffer.data() + std::size_t(row) * xfer.BytesPerRow;
                picture.rgb.insert(picture.rgb.end(), from, from + std::size_t(picture.width) * 3);
            }
        }
        return rc;
    }
    TW_SETUPFILEXFER setup{};
    const std::string name = sys::joinPath(directory, "picture" + std::to_string(++files_) + ".bmp");
    std::strncpy(setup.FileName, name.c_str(), sizeof setup.FileName - 1);
    setup.Format = TWFF_BMP;
    if (toSource(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup) != TWRC_SUCCESS)
        return TWRC_FAILURE;
    const TW_UINT16 rc = toSource(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
    if (rc != TWRC_XFERDONE)
        return rc;
    const auto file = sys::readWholeFile(name);
    if (!file || file->size() < 14 || !rgbFromDib(file->data() + 14, file->size() - 14, picture))
        return TWRC_FAILURE;
    return rc;
}

int TwainApplication::endTransfer()
{
    TW_PENDINGXFERS pending{};
    if (toSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending) != TWRC_SUCCESS)
        return -1;
    return pending.Count;
}

void TwainApplication::close()
{
    if (enabled_) {
        TW_USERINTERFACE ui{TW_TRUE, TW_FALSE, nullptr};
        toSource(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
        enabled_ = false;
    }
    if (sourceOpen_) {
        toManager(DAT_IDENTITY, MSG_CLOSEDS, &source_);
        sourceOpen_ = false;
    }
    if (managerOpen_) {
        void* parent = nullptr;
        toManager(DAT_PARENT, MSG_CLOSEDSM, &parent);
        managerOpen_ = false;
    }
}

std::vector<TW_UINT16> TwainApplication::notifications() const
{
    std::lock_guard<std::mutex> lock(notificationLock);
    return received;
}

void TwainApplication::clearNotifications()
{
    std::lock_guard<std::mutex> lock(notificationLock);
    received.clear();
}

::testing::AssertionResult decodeWithDeviceModule(const std::string& devicePath, int number, int rotation,
                                                  RgbPicture& out)
{
    sys::HMODULE module = sys::LoadLibrary(devicePath.c_str());
    if (module == nullptr)
        return ::testing::AssertionFailure() << "cannot load " << devicePath;
    auto entry = sys::getProc<device::DriverEntryProc>(module, device::kDriverEntryName);
    std::uint32_t code = device::kSizeOfPicture;
    std::uint32_t width = std::uint32_t(number);
    std::uint32_t height = 0;
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    if (entry(device::kTypeSize, &code, &width, &height) != device::kDriverSuccess) {
        result = ::testing::AssertionFailure() << "no size for picture " << number;
    } else {
        if (rotation % 2 == 1)
            std::swap(width, height);
        std::vector<std::uint8_t> buffer(device::pictureBufferSize(width, height));
        buffer[0] = std::uint8_t(rotation);
        code = device::kActionGetPicture;
        std::uint32_t picture = std::uint32_t(number);
        if (entry(device::kTypeAction, &code, &picture, buffer.data()) != device::kDriverSuccess ||
            !rgbFromDib(buffer.data(), buffer.size(), out))
            result = ::testing::AssertionFailure() << "picture " << number << " does not download";
    }
    sys::FreeLibrary(module);
    return result;
}

}  // namespace qm::panel::test
