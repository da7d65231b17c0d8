#include "platform/system/trace.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace qm::sys {

bool traceEnabled()
{
    const char* file = std::getenv("QM4200_TRACE");
    return file != nullptr && *file != '\0';
}

void trace(std::string_view line)
{
    const char* file = std::getenv("QM4200_TRACE");
    if (file == nullptr || *file == '\0')
        return;
    static std::mutex mutex;
    std::lock_guard guard(mutex);
    if (std::FILE* out = std::fopen(file, "a")) {
        std::fwrite(line.data(), 1, line.size(), out);
        if (line.empty() || line.back() != '\n')
            std::fputc('\n', out);
        std::fclose(out);
    }
}

}  // namespace qm::sys
