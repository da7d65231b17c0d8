// File helpers shared by everything that persists state: whole-file reads and
// atomic replacement (a crash leaves either the old file or the new one).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qm::sys {

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path);
// Writes a temporary file beside the target, flushes it and renames it over
// the target. False (and the target untouched) on any failure.
bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);
bool writeFileAtomically(const std::string& path, const std::string& text);

bool fileExists(const std::string& path);
bool directoryExists(const std::string& path);

// Joins two path pieces with exactly one '/'.
std::string joinPath(const std::string& directory, const std::string& name);

}  // namespace qm::sys
