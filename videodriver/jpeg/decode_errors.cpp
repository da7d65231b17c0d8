#include "videodriver/jpeg/decode_errors.h"

namespace qm::morvax {

namespace {

DecodeErrorTrap& trapOf(j_common_ptr cinfo) { return *reinterpret_cast<DecodeErrorTrap*>(cinfo->err); }

[[noreturn]] void unwindFatalError(j_common_ptr cinfo)
{
    DecodeErrorTrap& trap = trapOf(cinfo);
    trap.failed = true;
    std::longjmp(trap.unwind, 1);
}

}  // namespace

void k_error(j_common_ptr cinfo) { trapOf(cinfo).failed = true; }

void installErrorTrap(DecodeErrorTrap& trap)
{
    jpeg_std_error(&trap.manager);
    trap.manager.error_exit = unwindFatalError;
    trap.manager.output_message = k_error;
    trap.failed = false;
}

}  // namespace qm::morvax
