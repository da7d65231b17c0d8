// The Kestrom device module loaded by path from a private Windows directory,
// talking to a simulated still camera on the virtual USB cable or a serial
// port. Every test gets a fresh module (its DeviceApp is built on load and
// torn down on unload) and its own KVB.ini and thumbnail cache.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/entry/driver_entry.h"
#include "platform/system/library.h"
#include "simulators/stillcam/still_camera.h"
#include "tests/support/still_camera_rig.h"
#include "tests/support/windows_dir.h"

namespace qm::device::test {

using qm::test::Attachment;

class KestromTest : public ::testing::Test {
protected:
    KestromTest();
    ~KestromTest() override;

    // Builds the camera, attaches it and loads the module.
    void start(stillcam::StillCameraConfig config = {}, Attachment attachment = Attachment::Usb, int serialPort = 1);
    void loadModule();
    void unloadModule();

    std::uint8_t call(std::uint32_t type, std::uint32_t code, void* out = nullptr, void* data = nullptr) const;
    // Type 1 with a window handle's address and an optional progress callback.
    std::uint8_t connect(std::uint32_t* count = nullptr, DriverProgressProc progress = nullptr) const;
    std::uint32_t readValue(std::uint32_t code) const;
    // Type 5/2, as every caller asks before it sizes a picture buffer.
    void askPictureSize(std::uint32_t picture) const;

    // Commands the camera heard since the last clearCommands().
    std::vector<std::uint8_t> commands() const;
    void clearCommands() const { camera->clearCommandLog(); }
    std::size_t countOf(std::uint8_t command) const;

    qm::test::WindowsDir windows;
    std::unique_ptr<qm::test::StillCameraRig> rig;
    stillcam::StillCamera* camera = nullptr;
    sys::HMODULE module = nullptr;
    DriverEntryProc entry = nullptr;

};

// A bitmap a picture download or thumbnail left in a buffer.
struct Dib {
    int width = 0;
    int height = 0;
    std::size_t size = 0;
};
std::optional<Dib> readDib(const std::vector<std::uint8_t>& buffer);

}  // namespace qm::device::test
