#include "device/entry/spinning_thread.h"

#include <unistd.h>

#include <algorithm>

#include "platform/system/timing.h"

namespace qm::device {

SpinningThread::SpinningThread()
{
    run_.store(1, std::memory_order_relaxed);
    startTick_ = sys::GetTickCount();
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return;
    // The platform's smallest stack may exceed the loop's needs.
    const long minimum = sysconf(_SC_THREAD_STACK_MIN);
    pthread_attr_setstacksize(&attributes, std::max<std::size_t>(kStackBytes, minimum > 0 ? std::size_t(minimum) : 0));
    started_ = pthread_create(&thread_, &attributes, &SpinningThread::spin, this) == 0;
    pthread_attr_destroy(&attributes);
}

SpinningThread::~SpinningThread()
{
    run_.store(0, std::memory_order_relaxed);
    if (started_)
        pthread_join(thread_, nullptr);
}

void* SpinningThread::spin(void* self)
{
    auto* thread = static_cast<SpinningThread*>(self);
    for (std::uint32_t iterations = 0; thread->run_.load(std::memory_order_relaxed) != 0;) {
        if (++iterations == 1000) {
            iterations = 0;
            if (sys::GetTickCount() - thread->startTick_ >= kLimitMs)
                break;
        }
    }
    return nullptr;
}

}  // namespace qm::device
