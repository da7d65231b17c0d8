#include "platform/usbd/bus.h"

#include <algorithm>

#include "platform/kernel/irql.h"
#include "platform/kernel/pool.h"
#include "platform/usbd/detail/bus_impl.h"
#include "platform/usbd/detail/pdo_extension.h"

namespace qm::usbd {

namespace sim = qm::kernel::sim;
using namespace detail;

namespace {

inline constexpr LONGLONG kTicksPerFrame = 10000;  // 1 ms in 100-ns units
// A real-time bus that fell this far behind skips ahead instead of racing.
inline constexpr ULONGLONG kLargestCatchUp = 1000;

ULONGLONG frameNow() { return ULONGLONG(sim::interruptTime()) / kTicksPerFrame; }

}  // namespace

namespace detail {

ULONG Port::bandwidthInUse() const
{
    ULONG total = 0;
    for (const auto& [interfaceNumber, bytes] : bandwidth)
        total += bytes;
    return total;
}

Pipe* Port::findPipe(USBD_PIPE_HANDLE handle) const
{
    for (const auto& pipe : pipes)
        if (pipe->handle == handle)
            return pipe.get();
    return nullptr;
}

PVOID freshHandle()
{
    static std::atomic<ULONG_PTR> next{0x1000};
    return reinterpret_cast<PVOID>(next.fetch_add(0x10));
}

BusImpl::BusImpl()
{
    driver.MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = dispatchInternalControl;
    lastFrame = frameNow();
    thread = std::make_unique<sim::ServiceQueue>(
        sim::ThreadRole::Bus, 1,
        sim::ServiceQueue::Clocked{[this] { return std::optional<LONGLONG>(LONGLONG(lastFrame + 1) * kTicksPerFrame); },
                                   [this] { runFrame(); }});
}

BusImpl::~BusImpl()
{
    thread.reset();
    std::vector<Completion> completions;
    {
        std::lock_guard<std::mutex> guard(lock);
        completions.swap(pendingAsync);
        for (auto& port : ports) {
            drainTransfers(*port, nullptr, USBD_STATUS_DEVICE_GONE, STATUS_DEVICE_NOT_CONNECTED, completions);
            if (port->model && port->connected)
                port->model->unplugged();
            port->model.reset();
        }
    }
    complete(completions);
    for (auto& port : ports)
        IoDeleteDevice(port->pdo);
}

Port* BusImpl::portOf(PDEVICE_OBJECT pdo) const
{
    if (pdo == nullptr || pdo->DeviceExtension == nullptr)
        return nullptr;
    return static_cast<PdoExtension*>(pdo->DeviceExtension)->port;
}

ULONG BusImpl::bandwidthInUse() const
{
    ULONG total = 0;
    for (const auto& port : ports)
        total += port->bandwidthInUse();
    return total;
}

void BusImpl::drainTransfers(Port& port, const std::vector<Pipe*>* pipes, USBD_STATUS usbdStatus, NTSTATUS status,
                             std::vector<Completion>& out)
{
    for (auto& pipe : port.pipes) {
        if (pipes != nullptr && std::find(pipes->begin(), pipes->end(), pipe.get()) == pipes->end())
            continue;
        for (Transfer& transfer : pipe->transfers)
            out.push_back({transfer.irp, reinterpret_cast<PURB>(transfer.urb), usbdStatus, status});
        pipe->transfers.clear();
        pipe->nextFreeFrame = 0;
    }
}

void BusImpl::dropPipes(Port& port, std::optional<UCHAR> interfaceNumber, std::vector<Completion>& out)
{
    std::vector<Pipe*> doomed;
    for (auto& pipe : port.pipes)
        if (!interfaceNumber || pipe->interfaceNumber == *interfaceNumber)
            doomed.push_back(pipe.get());
    drainTransfers(port, &doomed, USBD_STATUS_CANCELED, STATUS_CANCELLED, out);
    std::erase_if(port.pipes, [&](const std::unique_ptr<Pipe>& pipe) {
        return std::find(doomed.begin(), doomed.end(), pipe.get()) != doomed.end();
    });
}

void BusImpl::postCompletions(std::vector<Completion>& completions)
{
    if (completions.empty())
        return;
    pendingAsync.insert(pendingAsync.end(), completions.begin(), completions.end());
    completions.clear();
    thread->post([this] {
        std::vector<Completion> due;
        {
            std::lock_guard<std::mutex> guard(lock);
            due.swap(pendingAsync);
        }
        complete(due);
    });
}

namespace {

void finishTransfer(const Transfer& transfer, std::vector<Completion>& done)
{
    _URB_ISOCH_TRANSFER& urb = *transfer.urb;
    const bool allFailed = urb.ErrorCount >= urb.NumberOfPackets;
    done.push_back({transfer.irp, reinterpret_cast<PURB>(transfer.urb),
                    allFailed ? USBD_STATUS_ISOCH_REQUEST_FAILED : USBD_STATUS_SUCCESS,
                    allFailed ? STATUS_UNSUCCESSFUL : STATUS_SUCCESS});
}

// Feeds one frame's packet of a pipe to the device model.
void feedPacket(DeviceModel& model, Pipe& pipe, ULONGLONG frame, std::vector<Completion>& done)
{
    // Transfers whose frames have all passed (a lagging bus) end as they are.
    while (!pipe.transfers.empty() &&
           pipe.transfers.front().startFrame + pipe.transfers.front().urb->NumberOfPackets <= frame) {
        const Transfer& stale = pipe.transfers.front();
        for (ULONG i = 0; i < stale.urb->NumberOfPackets; ++i)
            if (stale.urb->IsoPacket[i].Status == USBD_STATUS_NOT_ACCESSED)
                ++stale.urb->ErrorCount;
        finishTransfer(stale, done);
        pipe.transfers.pop_front();
    }
    const USHORT maxPacket = pipe.maxPacketSize();
    Transfer* transfer = pipe.transfers.empty() || pipe.transfers.front().startFrame > frame
                             ? nullptr
                             : &pipe.transfers.front();
    // Nobody asked for this frame's packet: with no IN token the device
    // cannot send, and what it does with the data is its own affair (a live
    // sensor loses the frame, a memory read waits).
    if (transfer == nullptr)
        return;
    _URB_ISOCH_TRANSFER& urb = *transfer->urb;
    const ULONG index = ULONG(frame - transfer->startFrame);
    USBD_ISO_PACKET_DESCRIPTOR& packet = urb.IsoPacket[index];
    const ULONG end = index + 1 < urb.NumberOfPackets ? urb.IsoPacket[index + 1].Offset : urb.TransferBufferLength;
    const std::size_t room = std::min<std::size_t>(maxPacket, end - packet.Offset);
    std::span<std::uint8_t> buffer(transfer->buffer + packet.Offset, room);
    const IsoPacketResult result = model.isochronousIn(pipe.endpoint.bEndpointAddress, ULONG(frame), buffer);
    packet.Length = ULONG(std::min(result.length, room));
    packet.Status = result.status;
    if (USBD_ERROR(result.status))
        ++urb.ErrorCount;
    if (index + 1 == urb.NumberOfPackets) {
        finishTransfer(*transfer, done);
        pipe.transfers.pop_front();
    }
}

}  // namespace

void BusImpl::runFrame()
{
    std::vector<Completion> done;
    {
        std::lock_guard<std::mutex> guard(lock);
        if (sim::clockMode() == sim::ClockMode::RealTime && frameNow() > lastFrame + kLargestCatchUp)
            lastFrame = frameNow() - 1;
        const ULONGLONG frame = lastFrame + 1;
        for (auto& port : ports) {
            if (!port->connected || !port->enabled || !port->model)
                continue;
            port->model->startOfFrame(ULONG(frame));
            std::vector<Pipe*> isochronous;
            for (auto& pipe : port->pipes)
                if (pipe->isochronousIn() && pipe->maxPacketSize() > 0)
                    isochronous.push_back(pipe.get());
            std::sort(isochronous.begin(), isochronous.end(), [](const Pipe* a, const Pipe* b) {
                return (a->endpoint.bEndpointAddress & 0x0F) < (b->endpoint.bEndpointAddress & 0x0F);
            });
            for (Pipe* pipe : isochronous)
                feedPacket(*port->model, *pipe, frame, done);
        }
        lastFrame = frame;
    }
    complete(done);
}

void BusImpl::complete(std::vector<Completion>& completions)
{
    if (completions.empty())
        return;
    KIRQL old;
    KeRaiseIrql(DISPATCH_LEVEL, &old);
    for (const Completion& completion : completions) {
        completion.urb->UrbHeader.Status = completion.usbdStatus;
        completion.irp->IoStatus.Status = completion.status;
        completion.irp->IoStatus.Information = 0;
        IoCompleteRequest(completion.irp, IO_NO_PRIORITY_BOOST);
    }
    KeLowerIrql(old);
    completions.clear();
}

}  // namespace detail

Bus::Bus() : impl_(std::make_unique<BusImpl>()) {}

Bus::~Bus() = default;

ULONG Bus::plug(std::shared_ptr<DeviceModel> model)
{
    auto port = std::make_unique<Port>();
    port->deviceDescriptor = model->deviceDescriptor();
    port->configurationBytes = model->configurationDescriptor();
    port->configuration = parseConfiguration(port->configurationBytes);
    port->model = std::move(model);
    port->connected = port->enabled = true;
    if (!NT_SUCCESS(IoCreateDevice(&impl_->driver, sizeof(PdoExtension), nullptr, FILE_DEVICE_UNKNOWN, 0, FALSE,
                                   &port->pdo)))
        return 0;
    port->pdo->Flags &= ~DO_DEVICE_INITIALIZING;
    std::lock_guard<std::mutex> guard(impl_->lock);
    port->number = ULONG(impl_->ports.size() + 1);
    *static_cast<PdoExtension*>(port->pdo->DeviceExtension) = {impl_.get(), port.get()};
    impl_->ports.push_back(std::move(port));
    return impl_->ports.back()->number;
}

void Bus::unplug(ULONG port)
{
    std::lock_guard<std::mutex> guard(impl_->lock);
    if (port == 0 || port > impl_->ports.size())
        return;
    Port& target = *impl_->ports[port - 1];
    if (!target.connected)
        return;
    std::vector<Completion> completions;
    impl_->drainTransfers(target, nullptr, USBD_STATUS_DEVICE_GONE, STATUS_DEVICE_NOT_CONNECTED, completions);
    target.connected = target.enabled = false;
    target.bandwidth.clear();
    if (target.model)
        target.model->unplugged();
    target.model.reset();
    impl_->postCompletions(completions);
}

qm::kernel::DEVICE_OBJECT* Bus::physicalDeviceObject(ULONG port) const
{
    std::lock_guard<std::mutex> guard(impl_->lock);
    if (port == 0 || port > impl_->ports.size())
        return nullptr;
    return impl_->ports[port - 1]->pdo;
}

void Bus::setBandwidthLimit(ULONG bytesPerFrame)
{
    std::lock_guard<std::mutex> guard(impl_->lock);
    impl_->bandwidthLimit = bytesPerFrame;
}

ULONG Bus::bandwidthLimit() const
{
    std::lock_guard<std::mutex> guard(impl_->lock);
    return impl_->bandwidthLimit;
}

ULONG Bus::bandwidthInUse() const
{
    std::lock_guard<std::mutex> guard(impl_->lock);
    return impl_->bandwidthInUse();
}

void Bus::setPortEnabled(ULONG port, bool enabled)
{
    std::lock_guard<std::mutex> guard(impl_->lock);
    if (port == 0 || port > impl_->ports.size())
        return;
    Port& target = *impl_->ports[port - 1];
    target.enabled = enabled && target.connected;
}

ULONG Bus::currentFrame() { return ULONG(frameNow()); }

void Bus::step(ULONG frames) { sim::advanceClock(frames); }

bool Bus::isBusThread() { return sim::currentThreadRole() == sim::ThreadRole::Bus; }

}  // namespace qm::usbd
