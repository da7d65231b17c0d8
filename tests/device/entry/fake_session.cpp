#include "tests/device/entry/fake_session.h"

namespace qm::device::test {

FakeScript& script()
{
    static FakeScript shared;
    return shared;
}

}  // namespace qm::device::test
