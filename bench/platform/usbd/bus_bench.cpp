// Cost of the simulated bus's frame clock, reported against a baseline
// measured in the same process:
//   step_vs_model   one stepped 1 ms frame with two isochronous transfers
//                   kept in flight (completion routines resubmitting), against
//                   asking the device model for that frame's packets directly
//   idle_vs_model   one stepped frame with nothing scheduled, against the same
#include <benchmark/benchmark.h>

#include "bench/support/seconds_per_run.h"
#include "platform/kernel/sim_clock.h"
#include "platform/usbd/bus.h"
#include "tests/platform/usbd/test_camera.h"
#include "tests/platform/usbd/usb_client.h"

using namespace qm::usbd;
namespace sim = qm::kernel::sim;

namespace {

using qm::bench::secondsPerRun;

// Keeps one transfer going: resubmits it from its completion routine.
struct Loop {
    qm::test::IsoTransfer* transfer;
    bool stop = false;
};

NTSTATUS resubmit(PDEVICE_OBJECT, PIRP, PVOID context)
{
    auto* loop = static_cast<Loop*>(context);
    if (!loop->stop)
        loop->transfer->submit(resubmit, loop, true);
    return STATUS_MORE_PROCESSING_REQUIRED;
}

double modelFrame(qm::test::TestCamera& camera)
{
    std::vector<std::uint8_t> data(1000), sync(1);
    std::uint32_t frame = 0;
    return secondsPerRun(
        [&] {
            camera.startOfFrame(frame);
            camera.isochronousIn(0x81, frame, data);
            camera.isochronousIn(0x82, frame, sync);
            ++frame;
        },
        20000);
}

void BM_SteppedFrame(benchmark::State& state)
{
    sim::setClockMode(sim::ClockMode::Manual);
    auto camera = std::make_shared<qm::test::TestCamera>();
    double idle = 0;
    {
        Bus bus;
        PDEVICE_OBJECT pdo = bus.physicalDeviceObject(bus.plug(camera));
        qm::test::Selection selection = qm::test::selectConfiguration(pdo);
        qm::test::selectAlternate(pdo, selection, 1);
        idle = secondsPerRun([] { Bus::step(1); }, 500);
        qm::test::IsoTransfer first(pdo, selection.pipe(0), 32, 1000);
        qm::test::IsoTransfer second(pdo, selection.pipe(0), 32, 1000);
        Loop a{&first}, b{&second};
        first.submit(resubmit, &a, true);
        second.submit(resubmit, &b, true);
        for (auto _ : state)
            Bus::step(1);
        const double streaming = secondsPerRun([] { Bus::step(1); }, 500);
        a.stop = b.stop = true;
        qm::test::pipeRequest(pdo, URB_FUNCTION_ABORT_PIPE, selection.pipe(0));
        const double model = modelFrame(*camera);
        state.counters["step_vs_model"] = streaming / model;
        state.counters["idle_vs_model"] = idle / model;
    }
    sim::setClockMode(sim::ClockMode::RealTime);
}
BENCHMARK(BM_SteppedFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
