// Fuzzes the resource compiler: the input is a resource script. Beside it
// lie a header of ids ("ids.h") and a small bitmap ("b.bmp") that scripts
// may name. A script that compiles gives a blob whose every entry lies
// inside it.
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "fuzz/scratch_directory.h"
#include "platform/system/byte_order.h"
#include "platform/ui/rc/compiler.h"
#include "platform/ui/resource/resource.h"

namespace {

// A 2 x 2 bitmap file of 24 bits.
constexpr std::uint8_t kBitmap[] = {
    'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
    40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // info header
    0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0,  // rows
};

std::string prepare()
{
    static const qm::fuzz::ScratchDirectory scratch("qm4200-fuzz-rc");
    const std::string& directory = scratch.path();
    std::ofstream(directory + "/ids.h") << "#define IDB_ONE 300\n#define IDS_ONE 500\n#define IDD_ONE 200\n"
                                           "#define IDC_ONE 1001\n";
    std::ofstream bitmap(directory + "/b.bmp", std::ios::binary);
    bitmap.write(reinterpret_cast<const char*>(kBitmap), sizeof kBitmap);
    return directory;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string directory = prepare();
    qm::ui::rc::Compiled compiled;
    std::string error;
    if (!qm::ui::rc::compileSource(std::string(reinterpret_cast<const char*>(data), size), directory, compiled,
                                   error))
        return 0;
    const std::vector<std::uint8_t>& blob = compiled.blob;
    if (blob.size() < qm::ui::kResourceHeaderSize)
        std::abort();
    const std::uint32_t entries = qm::sys::readLe32(&blob[8]);
    if (qm::ui::kResourceHeaderSize + std::size_t(entries) * qm::ui::kResourceEntrySize > blob.size())
        std::abort();
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::uint8_t* entry = &blob[qm::ui::kResourceHeaderSize + std::size_t(i) * qm::ui::kResourceEntrySize];
        const std::uint64_t offset = qm::sys::readLe32(entry + 8);
        const std::uint64_t length = qm::sys::readLe32(entry + 12);
        if (offset + length > blob.size())
            std::abort();
    }
    return 0;
}
