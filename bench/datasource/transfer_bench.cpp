// The data source's share of a transfer: a 640 x 480 picture pulled with
// each mechanism, against the panel delivering the same picture into a
// buffer and one copy of it to the application, in the same process. The
// summary prints the ratios; absolute times depend on the machine.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/support/ratio_summary.h"
#include "datasource/acquire_entry.h"
#include "datasource/entry/dispatch.h"
#include "datasource/transfer/acquire.h"
#include "datasource/transfer/file_access.h"
#include "datasource/transfer/picture.h"
#include "platform/system/byte_order.h"
#include "platform/system/files.h"
#include "tests/datasource/test_panel/test_panel_control.h"
#include "tests/support/windows_dir.h"

namespace {

using namespace qm::ds;

TW_UINT16 ignoreNotification(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16, TW_MEMREF)
{
    return TWRC_SUCCESS;
}

// An open, enabled source in transfer-ready state whose panel keeps
// delivering 640 x 480 pictures.
struct ReadySource {
    ReadySource()
    {
        windows.install(qm::test::builtTestFile("test_panel/Vantrel.DLL"), windows.panelPath());
        qm::test::writeTextFile(windows.installDirectory() + "/" + qm::test::kTestPanelSettingsFile,
                                "[Pictures]\nCount=1\nSize=640x480\n");
        record.sourceManagerOverride = ignoreNotification;
        application.Id = 1;
        TW_IDENTITY identity = record.source;
        identity.Id = 2;
        call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &identity);
        TW_USERINTERFACE ui{TW_TRUE, TW_FALSE, nullptr};
        call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
        panelEntry = qm::sys::getProc<qm::panel::PanelEntryProc>(record.panel.module, qm::panel::kPanelEntryName);
        auto press = qm::sys::getProc<qm::test::TestPanelPressProc>(record.panel.module, qm::test::kTestPanelPressName);
        if (press == nullptr || press(qm::test::kPressSelect) != 1 || acquireEntry(record, ACQUIRE_XFERREADY) != 1)
            std::fprintf(stderr, "the test panel did not start a transfer\n");
    }
    ~ReadySource() { releaseSourceRecord(record); }

    TW_UINT16 call(TW_UINT32 group, TW_UINT16 dataType, TW_UINT16 message, void* data)
    {
        return dsEntry(record, &application, group, dataType, message, data);
    }

    qm::test::WindowsDir windows;
    SourceRecord record;
    TW_IDENTITY application{};
    qm::panel::PanelEntryProc panelEntry = nullptr;
};

ReadySource& source()
{
    static ReadySource ready;
    return ready;
}

constexpr std::size_t kPictureBytes = 40 + 640 * 480 * 3;

void PanelDelivery(benchmark::State& state)
{
    ReadySource& ready = source();
    std::vector<std::uint8_t> picture(kPictureBytes);
    std::vector<std::uint8_t> application(kPictureBytes);
    for (auto _ : state) {
        std::int32_t width = 0;
        std::int32_t height = 0;
        ready.panelEntry(qm::panel::CMUI_IMAGE_SIZE, reinterpret_cast<std::uintptr_t>(&width),
                         reinterpret_cast<std::uintptr_t>(&height), 0);
        ready.panelEntry(qm::panel::CMUI_GET_IMAGE, reinterpret_cast<std::uintptr_t>(picture.data()), 0, 0);
        std::memcpy(application.data(), picture.data(), picture.size());
        benchmark::DoNotOptimize(application.data());
    }
}

void NativeTransfer(benchmark::State& state)
{
    ReadySource& ready = source();
    for (auto _ : state) {
        TW_HANDLE handle = nullptr;
        if (ready.call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle) != TWRC_XFERDONE)
            state.SkipWithError("native transfer failed");
        qm::sys::GlobalFree(handle);
    }
}

void MemoryTransfer(benchmark::State& state)
{
    ReadySource& ready = source();
    std::vector<std::uint8_t> buffer(640 * 3 * 120);  // the preferred size: four strips
    for (auto _ : state) {
        TW_UINT16 rc = TWRC_SUCCESS;
        while (rc == TWRC_SUCCESS) {
            TW_IMAGEMEMXFER strip{};
            strip.Memory = TW_MEMORY{TWMF_APPOWNS | TWMF_POINTER, TW_UINT32(buffer.size()), buffer.data()};
            rc = ready.call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip);
        }
        if (rc != TWRC_XFERDONE)
            state.SkipWithError("memory transfer failed");
        benchmark::DoNotOptimize(buffer.data());
    }
}

void FileTransfer(benchmark::State& state)
{
    ReadySource& ready = source();
    TW_SETUPFILEXFER setup{};
    const std::string name = ready.windows.path() + "/picture.bmp";
    std::strncpy(setup.FileName, name.c_str(), sizeof setup.FileName - 1);
    setup.Format = TWFF_BMP;
    ready.call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup);
    for (auto _ : state) {
        if (ready.call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr) != TWRC_XFERDONE)
            state.SkipWithError("file transfer failed");
    }
}

// The file transfer as first written, kept as a second baseline: the name
// proved with a probe file, the picture copied into a new bitmap file image,
// then written atomically through the shared helper.
void FileTransferAsFirstWritten(benchmark::State& state)
{
    ReadySource& ready = source();
    const std::string name = ready.windows.path() + "/first.bmp";
    SourceRecord& record = ready.record;
    for (auto _ : state) {
        if (!querySize(record))
            state.SkipWithError("size query failed");
        proveWritable(name, TWCC_OPERATIONERROR);
        if (!fetchPicture(record, record.transfer.bitmapSize + kBitmapHeaderSize))
            state.SkipWithError("picture refused");
        const HeldPicture& picture = record.transfer.image;
        const std::size_t dibBytes = bitmapBytes(picture.width, picture.height);
        std::vector<std::uint8_t> file(kFileHeaderSize + dibBytes);
        file[0] = 'B';
        file[1] = 'M';
        qm::sys::writeLe32(&file[2], std::uint32_t(file.size()));
        qm::sys::writeLe32(&file[10], std::uint32_t(kFileHeaderSize + kBitmapHeaderSize));
        std::copy(picture.bytes, picture.bytes + dibBytes, file.begin() + kFileHeaderSize);
        releaseImageBuffer(record.transfer);
        if (!qm::sys::writeFileAtomically(name, file))
            state.SkipWithError("file not written");
    }
}

BENCHMARK(PanelDelivery)->Unit(benchmark::kMillisecond);
BENCHMARK(NativeTransfer)->Unit(benchmark::kMillisecond);
BENCHMARK(MemoryTransfer)->Unit(benchmark::kMillisecond);
BENCHMARK(FileTransfer)->Unit(benchmark::kMillisecond);
BENCHMARK(FileTransferAsFirstWritten)->Unit(benchmark::kMillisecond);

}  // namespace

// The real time of a file transfer includes flushing it to disk; the file
// transfer's CPU time against the memory transfer's is the one to watch.
int main(int argc, char** argv)
{
    return qm::bench::runWithRatioSummary(
        argc, argv,
        {"Time ratios against the panel's own delivery and one copy, in this process:",
         {{"NativeTransfer", "PanelDelivery"},
          {"MemoryTransfer", "PanelDelivery"},
          {"FileTransfer", "PanelDelivery"},
          {"FileTransfer", "MemoryTransfer"},
          {"FileTransferAsFirstWritten", "MemoryTransfer"}},
         qm::bench::RatioClock::CpuAndReal});
}
