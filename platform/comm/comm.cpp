// The communications functions: a table of open ports behind opaque handles,
// so a stale or foreign handle is refused instead of followed.
#include "platform/comm/comm.h"

#include <map>
#include <memory>
#include <mutex>

#include "platform/comm/comm_port.h"
#include "platform/comm/port_names.h"

namespace qm::comm {
namespace {

struct PortTable {
    std::mutex mutex;
    std::map<std::uintptr_t, std::shared_ptr<CommPort>> ports;
    std::uintptr_t nextId = 0x100;
};

PortTable& table()
{
    static PortTable instance;
    return instance;
}

std::shared_ptr<CommPort> lookUp(HANDLE handle)
{
    auto& t = table();
    std::lock_guard lock(t.mutex);
    const auto it = t.ports.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == t.ports.end()) {
        sys::SetLastError(sys::ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return it->second;
}

bool invalidParameter()
{
    sys::SetLastError(sys::ERROR_INVALID_PARAMETER);
    return false;
}

}  // namespace

HANDLE CreateFile(const char* name, DWORD /*desiredAccess*/, DWORD /*shareMode*/, void* /*securityAttributes*/,
                  DWORD creationDisposition, DWORD /*flagsAndAttributes*/, HANDLE /*templateFile*/)
{
    const auto number = name != nullptr ? portNumber(name) : std::nullopt;
    if (!number) {
        sys::SetLastError(sys::ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (creationDisposition != OPEN_EXISTING) {
        sys::SetLastError(sys::ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::shared_ptr<CommPort> port = CommPort::open(devicePathForPort(*number));
    if (!port)
        return INVALID_HANDLE_VALUE;
    auto& t = table();
    std::lock_guard lock(t.mutex);
    const std::uintptr_t id = t.nextId++;
    t.ports.emplace(id, std::move(port));
    sys::SetLastError(sys::NO_ERROR);
    return reinterpret_cast<HANDLE>(id);
}

bool CloseHandle(HANDLE handle)
{
    auto& t = table();
    std::shared_ptr<CommPort> port;  // released outside the table lock
    std::lock_guard lock(t.mutex);
    const auto it = t.ports.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == t.ports.end()) {
        sys::SetLastError(sys::ERROR_INVALID_HANDLE);
        return false;
    }
    port = std::move(it->second);
    t.ports.erase(it);
    return true;
}

bool GetCommState(HANDLE handle, DCB* dcb)
{
    const auto port = lookUp(handle);
    if (!port)
        return false;
    if (dcb == nullptr)
        return invalidParameter();
    *dcb = port->state();
    return true;
}

bool SetCommState(HANDLE handle, const DCB* dcb)
{
    const auto port = lookUp(handle);
    if (!port)
        return false;
    if (dcb == nullptr)
        return invalidParameter();
    return port->setState(*dcb);
}

bool GetCommTimeouts(HANDLE handle, COMMTIMEOUTS* timeouts)
{
    const auto port = lookUp(handle);
    if (!port)
        return false;
    if (timeouts == nullptr)
        return invalidParameter();
    *timeouts = port->timeouts();
    return true;
}

bool SetCommTimeouts(HANDLE handle, const COMMTIMEOUTS* timeouts)
{
    const auto port = lookUp(handle);
    if (!port)
        return false;
    if (timeouts == nullptr)
        return invalidParameter();
    port->setTimeouts(*timeouts);
    return true;
}

bool SetupComm(HANDLE handle, DWORD inQueue, DWORD outQueue)
{
    const auto port = lookUp(handle);
    return port && port->setQueues(inQueue, outQueue);
}

bool GetCommProperties(HANDLE handle, COMMPROP* properties)
{
    const auto port = lookUp(handle);
    if (!port)
        return false;
    if (properties == nullptr)
        return invalidParameter();
    *properties = port->properties();
    return true;
}

bool PurgeComm(HANDLE handle, DWORD flags)
{
    const auto port = lookUp(handle);
    if (!port)
        return false;
    if (flags & ~(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR))
        return invalidParameter();
    return port->purge(flags);
}

bool ReadFile(HANDLE handle, void* buffer, DWORD toRead, DWORD* read, void* overlapped)
{
    if (read != nullptr)
        *read = 0;
    const auto port = lookUp(handle);
    if (!port)
        return false;
    if ((buffer == nullptr && toRead != 0) || overlapped != nullptr)
        return invalidParameter();
    DWORD got = 0;
    const bool ok = port->read(static_cast<std::uint8_t*>(buffer), toRead, got);
    if (read != nullptr)
        *read = got;
    return ok;
}

bool WriteFile(HANDLE handle, const void* buffer, DWORD toWrite, DWORD* written, void* overlapped)
{
    if (written != nullptr)
        *written = 0;
    const auto port = lookUp(handle);
    if (!port)
        return false;
    if ((buffer == nullptr && toWrite != 0) || overlapped != nullptr)
        return invalidParameter();
    DWORD sent = 0;
    const bool ok = port->write(static_cast<const std::uint8_t*>(buffer), toWrite, sent);
    if (written != nullptr)
        *written = sent;
    return ok;
}

}  // namespace qm::comm
