// A module's resources: bitmaps, dialog templates and string tables by id.
//
// A module's resource script is compiled at build time (qm_resources) into a
// blob inside the module; a static object there registers it when the module
// loads, under the module's base address. Lookups take the module's
// instance: its base address (instanceOf(any address inside it)) or the
// handle LoadLibrary returned for it; null means the main program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/ui/resource/dialog_template.h"
#include "platform/ui/types.h"

namespace qm::ui {

inline constexpr WORD RT_BITMAP = 2;
inline constexpr WORD RT_DIALOG = 5;
inline constexpr WORD RT_STRING = 6;

struct ResourceData {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

// The module (its base address) that contains an address; null when none.
HINSTANCE instanceOf(const void* address);
// Called by the code qm_resources generates. Returns the module's instance.
HINSTANCE registerModuleResources(const void* addressInModule, const std::uint8_t* blob, std::size_t size);
void unregisterModuleResources(const std::uint8_t* blob);

std::optional<ResourceData> findResource(HINSTANCE instance, unsigned id, WORD type);
// Copies string `id` (truncated to fit, NUL-terminated); returns its length
// in the buffer, 0 when the string does not exist.
int LoadString(HINSTANCE instance, UINT id, LPSTR buffer, int size);
std::string loadString(HINSTANCE instance, UINT id);
std::optional<DialogTemplate> loadDialogTemplate(HINSTANCE instance, unsigned id);

// The blob layout, shared with the resource compiler: "QMRS", version 1
// (16 bits), 16 reserved bits, a 32-bit entry count, then per entry type
// (16), reserved (16), id (32), offset (32) and size (32), all
// little-endian; offsets count from the start of the blob.
inline constexpr std::size_t kResourceHeaderSize = 12;
inline constexpr std::size_t kResourceEntrySize = 16;

}  // namespace qm::ui
