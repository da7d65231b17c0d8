#include "apps/qmvideo/property_access.h"

#include <cstdio>

#include "videodriver/properties/morvax_properties.h"

namespace qm::qmvideo {

namespace {

struct NamedSet {
    const char* name;
    const GUID* set;
};

constexpr NamedSet kSets[] = {
    {"procamp", &PROPSETID_VIDCAP_VIDEOPROCAMP},
    {"control", &PROPSETID_VIDCAP_VIDEOCONTROL},
    {"camera", &PROPSETID_VIDCAP_CAMERACONTROL},
    {"custom", &morvax::PROPSETID_MORVAX_CUSTOM},
};

KSPROPERTY_CAMERACONTROL_S record(const GUID& set, ULONG id, ULONG flags)
{
    KSPROPERTY_CAMERACONTROL_S property{};
    property.Property.Set = set;
    property.Property.Id = id;
    property.Property.Flags = flags;
    return property;
}

std::span<const UCHAR> bytesOf(const KSPROPERTY_CAMERACONTROL_S& property)
{
    return {reinterpret_cast<const UCHAR*>(&property), sizeof property};
}

std::span<UCHAR> bytesOf(KSPROPERTY_CAMERACONTROL_S& value)
{
    return {reinterpret_cast<UCHAR*>(&value), sizeof value};
}

}  // namespace

std::optional<GUID> propertySetNamed(const std::string& name)
{
    for (const NamedSet& named : kSets)
        if (name == named.name)
            return *named.set;
    return std::nullopt;
}

std::string propertySetName(const GUID& set)
{
    for (const NamedSet& named : kSets)
        if (*named.set == set)
            return named.name;
    return "?";
}

PropertyValue getProperty(AdapterHost& host, const GUID& set, ULONG id)
{
    const KSPROPERTY_CAMERACONTROL_S property = record(set, id, KSPROPERTY_TYPE_GET);
    KSPROPERTY_CAMERACONTROL_S value = property;
    ULONG bytes = 0;
    PropertyValue result;
    result.status = host.getDeviceProperty(bytesOf(property), bytesOf(value), bytes);
    result.value = value.Value;
    result.flags = value.Flags;
    result.capabilities = value.Capabilities;
    return result;
}

NTSTATUS setProperty(AdapterHost& host, const GUID& set, ULONG id, LONG setting)
{
    const KSPROPERTY_CAMERACONTROL_S property = record(set, id, KSPROPERTY_TYPE_SET);
    KSPROPERTY_CAMERACONTROL_S value = property;
    value.Value = setting;
    ULONG bytes = 0;
    return host.setDeviceProperty(bytesOf(property), bytesOf(value), bytes);
}

NTSTATUS powerDown(AdapterHost& host) { return host.changePowerState(PowerDeviceD3); }

NTSTATUS powerUp(AdapterHost& host) { return host.changePowerState(PowerDeviceD0); }

std::string statusText(NTSTATUS status)
{
    if (status == STATUS_SUCCESS)
        return "success";
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", unsigned(status));
    return text;
}

}  // namespace qm::qmvideo
