// Device properties of the Morvax driver from the tool's side: the sets by
// short name, and gets and sets of the 40-byte value records.
#pragma once

#include <optional>
#include <string>

#include "platform/streamclass/adapter_host.h"

namespace qm::qmvideo {

using namespace qm::streamclass;

// "procamp", "control", "camera" and "custom" (the driver's own set).
std::optional<GUID> propertySetNamed(const std::string& name);
std::string propertySetName(const GUID& set);

struct PropertyValue {
    NTSTATUS status = STATUS_UNSUCCESSFUL;
    LONG value = 0;
    ULONG flags = 0;
    ULONG capabilities = 0;
};

PropertyValue getProperty(AdapterHost& host, const GUID& set, ULONG id);
NTSTATUS setProperty(AdapterHost& host, const GUID& set, ULONG id, LONG value);

// The camera's power: down (D3, the driver saves its settings) and up
// again from there (D0, it reads them back).
NTSTATUS powerDown(AdapterHost& host);
NTSTATUS powerUp(AdapterHost& host);

// A status as text: "success" or its hexadecimal code.
std::string statusText(NTSTATUS status);

}  // namespace qm::qmvideo
