// Device properties as an application sends them through the adapter host:
// the 40-byte records of VideoProcAmp, CameraControl and the driver's own
// set, and the raw requests for the others.
#pragma once

#include <cstring>
#include <vector>

#include "platform/streamclass/adapter_host.h"
#include "videodriver/properties/morvax_properties.h"

namespace qm::morvax::test {

using namespace qm::streamclass;

struct PropertyAnswer {
    NTSTATUS status = STATUS_UNSUCCESSFUL;
    LONG value = 0;
    ULONG flags = 0;
    ULONG capabilities = 0;
    ULONG bytes = 0;
};

class PropertyClient {
public:
    explicit PropertyClient(AdapterHost& host) : host_(host) {}

    PropertyAnswer get(const GUID& set, ULONG id)
    {
        KSPROPERTY_CAMERACONTROL_S record = recordFor(set, id, KSPROPERTY_TYPE_GET);
        KSPROPERTY_CAMERACONTROL_S value = record;
        PropertyAnswer answer;
        answer.status = host_.getDeviceProperty(bytesOf(record), bytesOf(value), answer.bytes);
        answer.value = value.Value;
        answer.flags = value.Flags;
        answer.capabilities = value.Capabilities;
        return answer;
    }

    NTSTATUS set(const GUID& set, ULONG id, LONG setting)
    {
        KSPROPERTY_CAMERACONTROL_S record = recordFor(set, id, KSPROPERTY_TYPE_SET);
        KSPROPERTY_CAMERACONTROL_S value = record;
        value.Value = setting;
        ULONG bytes = 0;
        return host_.setDeviceProperty(bytesOf(record), bytesOf(value), bytes);
    }

    // Camera control and the driver's set by id.
    PropertyAnswer camera(ULONG id) { return get(PROPSETID_VIDCAP_CAMERACONTROL, id); }
    NTSTATUS setCamera(ULONG id, LONG value) { return set(PROPSETID_VIDCAP_CAMERACONTROL, id, value); }
    PropertyAnswer custom(ULONG id) { return get(PROPSETID_MORVAX_CUSTOM, id); }
    NTSTATUS setCustom(ULONG id, LONG value) { return set(PROPSETID_MORVAX_CUSTOM, id, value); }

    // A raw get: the property record and a value buffer of `valueSize` bytes.
    template <typename Record>
    NTSTATUS getRaw(const Record& property, std::vector<UCHAR>& value, ULONG& bytes)
    {
        return host_.getDeviceProperty({reinterpret_cast<const UCHAR*>(&property), sizeof(Record)}, value, bytes);
    }
    template <typename Record>
    NTSTATUS setRaw(const Record& property, Record& value)
    {
        ULONG bytes = 0;
        return host_.setDeviceProperty({reinterpret_cast<const UCHAR*>(&property), sizeof(Record)}, bytesOf(value),
                                       bytes);
    }

    static KSPROPERTY_CAMERACONTROL_S recordFor(const GUID& set, ULONG id, ULONG flags)
    {
        KSPROPERTY_CAMERACONTROL_S record{};
        record.Property.Set = set;
        record.Property.Id = id;
        record.Property.Flags = flags;
        return record;
    }

private:
    template <typename T>
    static std::span<UCHAR> bytesOf(T& record)
    {
        return {reinterpret_cast<UCHAR*>(&record), sizeof(T)};
    }

    AdapterHost& host_;
};

}  // namespace qm::morvax::test
