#include "videodriver/jpeg/kernel_memory.h"

namespace qm::morvax {

void* k_malloc(std::size_t bytes)
{
    return qm::kernel::ExAllocatePoolWithTag(qm::kernel::NonPagedPool, bytes, kDecoderPoolTag);
}

void k_free(void* block)
{
    if (block != nullptr)
        qm::kernel::ExFreePoolWithTag(block, kDecoderPoolTag);
}

}  // namespace qm::morvax
