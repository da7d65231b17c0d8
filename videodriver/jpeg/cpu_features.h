// Processor features the decoder asks about.
#pragma once

namespace qm::morvax {

// True when the processor reports the multimedia extension (CPUID function
// 1, EDX bit 23); false on processors without CPUID or of another family.
// The JPEG library makes the same test itself to pick its vector inverse
// DCT, so the decoder needs no switch of its own.
bool CheckMMXTechnology();

}  // namespace qm::morvax
