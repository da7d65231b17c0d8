// Settings across power cycles and driver reloads: saved at power-down,
// read back at power-up, settings already saved protected until the first
// power-up, the property pages swapped, and the progress log.
#include <gmock/gmock.h>

#include "platform/kernel/registry.h"
#include "platform/kernel/rtl.h"
#include "tests/videodriver/properties/support/property_rig.h"

namespace qm::morvax::test {
namespace {

constexpr char16_t kCapturePages[] =
    u"\\Registry\\MACHINE\\SYSTEM\\CurrentControlSet\\Control\\MediaCategories\\"
    u"{FB6C4281-0353-11D1-905F-0000C0CC16BA}\\PropertyPages";
constexpr char16_t kVideoProcAmpPages[] =
    u"\\Registry\\MACHINE\\SYSTEM\\CurrentControlSet\\Control\\MediaSets\\"
    u"{C6E13360-30AC-11D0-A18C-00A0C9118956}\\PropertyPages";
constexpr char16_t kCameraControlPages[] =
    u"\\Registry\\MACHINE\\SYSTEM\\CurrentControlSet\\Control\\MediaSets\\"
    u"{C6E13370-30AC-11D0-A18C-00A0C9118956}\\PropertyPages";

bool keyExists(const std::u16string& parent, const std::u16string& subkey)
{
    std::u16string path = parent + u"\\" + subkey;
    return NT_SUCCESS(RtlCheckRegistryKey(RTL_REGISTRY_ABSOLUTE, path.data()));
}

std::u16string defaultValue(const std::u16string& parent, const std::u16string& subkey)
{
    std::u16string path = parent + u"\\" + subkey;
    UNICODE_STRING name;
    RtlInitUnicodeString(&name, path.c_str());
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
    HANDLE key = nullptr;
    if (!NT_SUCCESS(ZwOpenKey(&key, KEY_READ, &attributes)))
        return u"(no key)";
    UNICODE_STRING empty{0, 0, nullptr};
    alignas(ULONG) UCHAR buffer[256] = {};
    ULONG length = 0;
    const NTSTATUS status = ZwQueryValueKey(key, &empty, KeyValuePartialInformation, buffer, sizeof buffer, &length);
    ZwClose(key);
    if (!NT_SUCCESS(status))
        return u"(no value)";
    const auto* info = reinterpret_cast<const KEY_VALUE_PARTIAL_INFORMATION*>(buffer);
    std::u16string text(reinterpret_cast<const char16_t*>(info->Data), info->DataLength / 2);
    return text.substr(0, text.find(u'\0'));
}

class PowerCycle : public PropertyRig {
protected:
    RigOptions rigOptions() override
    {
        RigOptions options = PropertyRig::rigOptions();
        options.start = false;
        return options;
    }
    void start(std::vector<Setting> settings)
    {
        RigOptions options;
        options.settings = std::move(settings);
        startWith(std::move(options));
    }
    void powerDown() { ASSERT_EQ(host().changePowerState(PowerDeviceD3), STATUS_SUCCESS); }
    void powerUp() { ASSERT_EQ(host().changePowerState(PowerDeviceD0), STATUS_SUCCESS); }
    LONG brightness() { return properties().camera(kCamBrightness).value; }
};

TEST_F(PowerCycle, SettingsAreSavedAtPowerDownAndReadAtPowerUp)
{
    start({{u"CCDType", 0}});  // a settings key without saved settings
    ASSERT_EQ(properties().setCamera(kCamBrightness, 50), STATUS_SUCCESS);
    ASSERT_EQ(properties().setCamera(kCamLightSource, 1), STATUS_SUCCESS);
    ASSERT_EQ(properties().setCamera(kCamRedGain, 30), STATUS_SUCCESS);
    ASSERT_EQ(properties().setCamera(kCamFlickerless, 1), STATUS_SUCCESS);
    powerDown();
    EXPECT_EQ(readSetting(u"Brightness"), 50u);
    EXPECT_EQ(readSetting(u"LightSource"), 1u);
    EXPECT_EQ(readSetting(u"RedHue"), 30u);
    EXPECT_EQ(readSetting(u"IsFlickerless"), 1u);
    EXPECT_EQ(readSetting(u"Contrast"), 48u);
    EXPECT_EQ(readSetting(u"FirstAltSetting"), 1u);
    EXPECT_EQ(readSetting(u"AEEnable"), 1u);

    putSetting(u"Brightness", 44);
    putSetting(u"Contrast", 12);
    powerUp();
    EXPECT_EQ(brightness(), 44);
    EXPECT_EQ(properties().camera(kCamContrast).value, 12);
    EXPECT_EQ(properties().camera(kCamLightSource).value, 1);
    // After a power-up every power-down saves.
    ASSERT_EQ(properties().setCamera(kCamBrightness, 9), STATUS_SUCCESS);
    powerDown();
    EXPECT_EQ(readSetting(u"Brightness"), 9u);
}

TEST_F(PowerCycle, SavedSettingsAreNotOverwrittenBeforeTheFirstPowerUp)
{
    start({{u"Brightness", 40}});
    EXPECT_EQ(brightness(), 32);  // read at power-up only
    ASSERT_EQ(properties().setCamera(kCamBrightness, 50), STATUS_SUCCESS);
    powerDown();
    EXPECT_EQ(readSetting(u"Brightness"), 40u);
    EXPECT_EQ(readSetting(u"Contrast"), std::nullopt);
    powerUp();
    EXPECT_EQ(brightness(), 40);
    ASSERT_EQ(properties().setCamera(kCamBrightness, 55), STATUS_SUCCESS);
    powerDown();
    EXPECT_EQ(readSetting(u"Brightness"), 55u);
}

TEST_F(PowerCycle, WithoutASettingsKeyNothingIsSavedAndTheDefaultsStand)
{
    start({});
    ASSERT_EQ(properties().setCamera(kCamBrightness, 50), STATUS_SUCCESS);
    powerDown();  // the save fails at its first write; the transition itself does not
    EXPECT_EQ(readSetting(u"Brightness"), std::nullopt);
    powerUp();
    EXPECT_EQ(brightness(), 50);
}

TEST_F(PowerCycle, SettingsSurviveADriverReloadWithTheRegistryKept)
{
    start({{u"CCDType", 0}});
    ASSERT_EQ(properties().setCamera(kCamSaturation, 30), STATUS_SUCCESS);
    ASSERT_EQ(properties().setCamera(kCamSharpness, 60), STATUS_SUCCESS);
    powerDown();
    ASSERT_EQ(host().uninitialize(), STATUS_SUCCESS);
    host().unloadDriver();
    kernel::sim::reloadRegistry();  // as after a restart: only what reached the file
    ASSERT_EQ(host().loadDriver(qm::test::builtLibrary("libmorvax.so")), STATUS_SUCCESS);
    ASSERT_EQ(host().startDevice(bus().physicalDeviceObject(port())), STATUS_SUCCESS);
    EXPECT_EQ(properties().camera(kCamSaturation).value, 45);  // configure's defaults until power-up
    powerDown();
    EXPECT_EQ(readSetting(u"Saturation"), 30u);  // kept: no power-up yet since the reload
    powerUp();
    EXPECT_EQ(properties().camera(kCamSaturation).value, 30);
    EXPECT_EQ(properties().camera(kCamSharpness).value, 60);
    auto stream = openRunning(kCaptureStream, 0);
    ASSERT_TRUE(stream);
    EXPECT_EQ(sim().registerValue(0x1003) & 0x1F, 30);
    EXPECT_EQ(sim().registerValue(0x100F), 15);
}

TEST_F(PowerCycle, ThePropertyPagesSwapWithThePower)
{
    start({{u"CCDType", 0}});
    ASSERT_TRUE(keyExists(kCapturePages, u"{71F96467-78F3-11d0-A18C-00A0C9118956}"));
    powerDown();
    powerUp();
    EXPECT_TRUE(keyExists(kCapturePages, u"{4ECEF410-31F5-11d2-AE0B-00104BC977E9}"));
    EXPECT_FALSE(keyExists(kCapturePages, u"{71F96467-78F3-11d0-A18C-00A0C9118956}"));
    EXPECT_FALSE(keyExists(kVideoProcAmpPages, u"{71F96464-78F3-11D0-A18C-00A0C9118956}"));
    EXPECT_FALSE(keyExists(kCameraControlPages, u"{71F96465-78F3-11D0-A18C-00A0C9118956}"));
    powerDown();
    EXPECT_FALSE(keyExists(kCapturePages, u"{4ECEF410-31F5-11d2-AE0B-00104BC977E9}"));
    EXPECT_TRUE(keyExists(kCapturePages, u"{71F96467-78F3-11d0-A18C-00A0C9118956}"));
    EXPECT_EQ(defaultValue(kVideoProcAmpPages, u"{71F96464-78F3-11D0-A18C-00A0C9118956}"),
              u"VideoProcAmp Property Page");
    EXPECT_EQ(defaultValue(kCameraControlPages, u"{71F96465-78F3-11D0-A18C-00A0C9118956}"),
              u"CameraControl Property Page");
}

TEST_F(PowerCycle, TheProgressLogNamesTheFirstEventsAfterLoadInOrder)
{
    start({{u"CCDType", 0}});
    EXPECT_EQ(readSetting(u"Enter DriverEntry", u"Log"), 0u);  // configure's entry
    EXPECT_EQ(readSetting(u"Exit DriverEntry", u"Log"), 0u);   // and its exit
    EXPECT_EQ(readSetting(u"Enter Configure", u"Log"), 0u);    // initialize's entry
    EXPECT_EQ(readSetting(u"Exit Configure", u"Log"), 0u);     // and its exit
    EXPECT_EQ(readSetting(u"Enter Initialize", u"Log"), std::nullopt);
}

}  // namespace
}  // namespace qm::morvax::test
