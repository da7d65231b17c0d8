// Fuzzes the private-profile files: the input is a whole KVB.ini. The keys
// the modules read are read back (into small buffers too), then one key is
// written, read, removed and its section removed, and each read must see
// what the write before it left.
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "common/config/kvb_config.h"
#include "fuzz/scratch_directory.h"
#include "platform/system/profile.h"

namespace {

struct Key {
    const char* section;
    const char* key;
};
// What the panel and the device module keep in KVB.ini.
constexpr Key kKeys[] = {
    {"Image Quality", "Sharpen Factor"},   {"Baud Rate Speeding", "Baud Rate Mode"},
    {"COMMUNICATION Port", "Port Name"},   {"COMMUNICATION Port", "Baud Rate"},
    {"MAIN", "Camera Type"},               {"main", "camera type"},
    {"", ""},                              {"[", "="},
};

std::string prepare()
{
    static const qm::fuzz::ScratchDirectory scratch("qm4200-fuzz-profile");
    const std::string& windows = scratch.path();
    ::setenv("WINDIR", windows.c_str(), 1);
    const std::string install = windows + "/TWAIN_32/QM4200";
    ::mkdir((windows + "/TWAIN_32").c_str(), 0755);
    ::mkdir(install.c_str(), 0755);
    return qm::config::kvbIniPath();
}

std::string readString(const char* section, const char* key, const char* file)
{
    char buffer[512];
    qm::sys::GetPrivateProfileString(section, key, "(none)", buffer, sizeof buffer, file);
    return buffer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = prepare();
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    const char* file = path.c_str();
    for (const Key& k : kKeys) {
        static_cast<void>(qm::config::readInt(k.section, k.key, -7));
        static_cast<void>(qm::config::readText(k.section, k.key, "default"));
        for (unsigned bufferSize : {1u, 2u, 5u}) {
            char small[8];
            std::memset(small, 0x55, sizeof small);
            const unsigned copied =
                qm::sys::GetPrivateProfileString(k.section, k.key, "default", small, bufferSize, file);
            if (copied >= bufferSize || small[copied] != '\0' || small[bufferSize] != 0x55)
                std::abort();
        }
    }

    // A write is read back as written, whatever else the file holds.
    if (!qm::sys::WritePrivateProfileString("Image Quality", "Sharpen Factor", "321", file))
        return 0;
    if (qm::sys::GetPrivateProfileInt("Image Quality", "Sharpen Factor", -1, file) != 321)
        std::abort();
    if (!qm::config::writeText("MAIN", "Camera Type", "x y") || qm::config::readText("MAIN", "Camera Type", "") != "x y")
        std::abort();
    if (qm::sys::GetPrivateProfileInt("Image Quality", "Sharpen Factor", -1, file) != 321)
        std::abort();
    qm::sys::WritePrivateProfileString("Image Quality", "Sharpen Factor", nullptr, file);
    if (readString("Image Quality", "Sharpen Factor", file) != "(none)")
        std::abort();
    qm::sys::WritePrivateProfileString("MAIN", nullptr, nullptr, file);
    if (readString("MAIN", "Camera Type", file) != "(none)")
        std::abort();
    return 0;
}
