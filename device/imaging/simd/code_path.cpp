#include "device/imaging/simd/code_path.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace qm::device::imaging {

namespace {

bool processorHasAvx2()
{
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

CodePath chosenAtStart()
{
    const char* requested = std::getenv("QM4200_SIMD");
    if (requested != nullptr && std::strcmp(requested, "scalar") == 0)
        return CodePath::Scalar;
    return processorHasAvx2() ? CodePath::Avx2 : CodePath::Scalar;
}

std::atomic<CodePath>& current()
{
    static std::atomic<CodePath> path{chosenAtStart()};
    return path;
}

}  // namespace

CodePath activeCodePath() { return current().load(std::memory_order_relaxed); }

bool codePathSupported(CodePath path) { return path == CodePath::Scalar || processorHasAvx2(); }

const char* codePathName(CodePath path) { return path == CodePath::Avx2 ? "avx2" : "scalar"; }

ScopedCodePath::ScopedCodePath(CodePath path) : previous_(activeCodePath())
{
    current().store(codePathSupported(path) ? path : CodePath::Scalar);
}

ScopedCodePath::~ScopedCodePath() { current().store(previous_); }

}  // namespace qm::device::imaging
