// The panel module's entry point, through which the data source creates,
// shows, hides and closes the panel and fetches pictures during a transfer.
//
// Arguments that carry addresses are pointer-sized; the third argument is
// always 0. The result is 1 for success and 0 for failure (callers test the
// low byte), except where a command says otherwise.
#pragma once

#include <cstdint>

#include "platform/system/export.h"

namespace qm::panel {

// Commands.
inline constexpr std::uint32_t CMUI_CREATE = 1;      // first: const PanelWindowHandle* parent; second: PanelWindowHandle* created dialog
inline constexpr std::uint32_t CMUI_SHOW = 2;        // first: const std::uint32_t* show (non-zero shows and connects, 0 hides)
inline constexpr std::uint32_t CMUI_CLOSE = 3;       // destroys the dialog and ends the camera connection
inline constexpr std::uint32_t CMUI_RELEASE = 4;     // as CMUI_CLOSE; the data source does not send it
inline constexpr std::uint32_t CMUI_BIND = 5;        // first: const PanelPathArgument* data source; second: const PanelPathArgument* device module
inline constexpr std::uint32_t CMUI_IMAGE_SIZE = 6;  // first: std::int32_t* width; second: std::int32_t* height
inline constexpr std::uint32_t CMUI_GET_IMAGE = 7;   // first: std::uint8_t* picture buffer
inline constexpr std::uint32_t CMUI_XFER_COUNT = 8;  // first: std::uint32_t* pictures remaining

// A window handle of the platform's window system (HWND), pointer-sized.
using PanelWindowHandle = void*;

// A path argument: the address of this record, whose one field points at the
// path's NUL-terminated characters. An empty path has zero length.
struct PanelPathArgument {
    const char* text;
};

using PanelEntryProc = std::uint32_t (*)(std::uint32_t command, std::uintptr_t first, std::uintptr_t second,
                                         std::uintptr_t third);

inline constexpr const char* kPanelEntryName = "PanelEntry";

}  // namespace qm::panel

// The panel module's one export.
QM_EXPORT std::uint32_t PanelEntry(std::uint32_t command, std::uintptr_t first, std::uintptr_t second,
                                   std::uintptr_t third);
