// One device property request as the handlers see it: the property record
// the caller sent and the value buffer, both checked for size before use.
#pragma once

#include <cstring>

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

class PropertyRequest {
public:
    explicit PropertyRequest(PHW_STREAM_REQUEST_BLOCK srb)
        : srb_(srb), info_(srb->CommandData.PropertyInfo) {}

    ULONG id() const { return info_->Property->Id; }

    // Copies the property record (what the caller asks about) into `record`;
    // false when the caller sent less.
    template <typename Record>
    bool property(Record& record) const
    {
        if (info_->Property == nullptr || info_->PropertyInputSize < sizeof(Record))
            return false;
        std::memcpy(&record, info_->Property, sizeof(Record));
        return true;
    }

    // The value buffer: its size, a copy of its record, and writing a record
    // back (which also reports its size as the bytes returned).
    ULONG valueSize() const { return info_->PropertyInfo != nullptr ? info_->PropertyOutputSize : 0; }
    PUCHAR valueBuffer() const { return static_cast<PUCHAR>(info_->PropertyInfo); }

    template <typename Record>
    bool value(Record& record) const
    {
        if (valueSize() < sizeof(Record))
            return false;
        std::memcpy(&record, info_->PropertyInfo, sizeof(Record));
        return true;
    }

    template <typename Record>
    bool answer(const Record& record)
    {
        if (valueSize() < sizeof(Record))
            return false;
        std::memcpy(info_->PropertyInfo, &record, sizeof(Record));
        srb_->ActualBytesTransferred = sizeof(Record);
        return true;
    }

    void setBytesReturned(ULONG bytes) { srb_->ActualBytesTransferred = bytes; }

private:
    PHW_STREAM_REQUEST_BLOCK srb_;
    PSTREAM_PROPERTY_DESCRIPTOR info_;
};

// The numeric records of VideoProcAmp, CameraControl and the driver's set
// share one layout: the property, then value, flags and capabilities.
using ValueRecord = KSPROPERTY_CAMERACONTROL_S;
static_assert(sizeof(ValueRecord) == sizeof(KSPROPERTY_VIDEOPROCAMP_S));

inline constexpr ULONG kFlagsManual = 2;

// The set handlers (one file each).
NTSTATUS getVideoProcAmp(MorvaxContext* context, PropertyRequest& request);
NTSTATUS setVideoProcAmp(MorvaxContext* context, PropertyRequest& request);
NTSTATUS getVideoControl(MorvaxContext* context, PropertyRequest& request);
NTSTATUS setVideoControl(MorvaxContext* context, PropertyRequest& request);
NTSTATUS getCameraControl(MorvaxContext* context, PropertyRequest& request);
NTSTATUS setCameraControl(MorvaxContext* context, PropertyRequest& request);
NTSTATUS getCustomProperty(MorvaxContext* context, PropertyRequest& request);
NTSTATUS setCustomProperty(MorvaxContext* context, PropertyRequest& request);

// Answers a get with a value (flags and capabilities as given).
NTSTATUS answerValue(PropertyRequest& request, LONG value, ULONG flags = kFlagsManual,
                     ULONG capabilities = kFlagsManual);
// The value of a set request; false when the record is short.
bool requestedValue(const PropertyRequest& request, LONG& value);

}  // namespace qm::morvax
