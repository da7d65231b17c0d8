// The upload encoder as it was first written: whole colour planes, the DCT as
// a plain matrix product, quantisation by integer division and a bit writer
// that checks every byte. It defines the bytes the fast encoder must produce;
// the equivalence tests and the benchmark run it beside the fast one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace qm::device::imaging::reference {

std::optional<std::size_t> encodeUploadJpeg(std::span<const std::uint8_t> dib, std::span<std::uint8_t> out);

}  // namespace qm::device::imaging::reference
