#include "videodriver/jpeg/cpu_features.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace qm::morvax {

bool CheckMMXTechnology()
{
#if defined(__i386__) || defined(__x86_64__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0)
        return false;
    return (edx >> 23) & 1u;
#else
    return false;
#endif
}

}  // namespace qm::morvax
