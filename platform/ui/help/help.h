// Help: a module's help text shown in a window of its own.
#pragma once

#include "platform/ui/types.h"

namespace qm::ui {

inline constexpr UINT HELP_CONTEXT = 0x0001;
inline constexpr UINT HELP_QUIT = 0x0002;
inline constexpr UINT HELP_INDEX = 0x0003;
inline constexpr UINT HELP_CONTENTS = 0x0003;
inline constexpr UINT HELP_FINDER = 0x000B;

// Opens the help file (plain text; a ".hlp" name that does not exist is
// tried with ".txt") in a help window, or brings the open one forward.
// HELP_QUIT closes it. False when the file cannot be read (a message box
// says so).
BOOL WinHelp(HWND owner, LPCSTR file, UINT command, std::uintptr_t data);

}  // namespace qm::ui
