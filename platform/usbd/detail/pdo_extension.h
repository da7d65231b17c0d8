// What a port's physical device object carries in its extension.
#pragma once

namespace qm::usbd::detail {

class BusImpl;
struct Port;

struct PdoExtension {
    BusImpl* bus;
    Port* port;
};


}  // namespace qm::usbd::detail
