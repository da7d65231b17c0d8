// Where the browser's buttons sit and what they look like: each button's
// four bitmaps (normal, pressed, focus, disabled), its place in pixels and
// its hint text.
#pragma once

#include <array>
#include <cstdint>

#include "panel/resources/resource.h"

namespace qm::panel {

struct ToolbarButton {
    int id;
    int normal, pressed, focus, disabled;
    int x, y, width, height;
    int hint;
    std::uint32_t capability;  // the capability bit that enables it; 0 for the navigation buttons
};

inline constexpr std::array<ToolbarButton, 17> kToolbar = {{
    {IDC_SAVE_TO_DISK, IDB_SAVE_NORMAL, IDB_SAVE_PRESSED, IDB_SAVE_FOCUS, IDB_SAVE_DISABLED, 488, 18, 50, 29, IDS_HINT_SAVE, 0x010},
    {IDC_TRANSFER, IDB_TRANSFER_NORMAL, IDB_TRANSFER_PRESSED, IDB_TRANSFER_FOCUS, IDB_TRANSFER_DISABLED, 538, 18, 50, 29, IDS_HINT_TRANSFER, 0x001},
    {IDC_SELECT_ALL, IDB_SELECT_ALL_NORMAL, IDB_SELECT_ALL_PRESSED, IDB_SELECT_ALL_FOCUS, IDB_SELECT_ALL_DISABLED, 488, 62, 50, 29, IDS_HINT_SELECT_ALL, 0x040},
    {IDC_SELECT_NONE, IDB_SELECT_NONE_NORMAL, IDB_SELECT_NONE_PRESSED, IDB_SELECT_NONE_FOCUS, IDB_SELECT_NONE_DISABLED, 538, 62, 50, 29, IDS_HINT_SELECT_NONE, 0x080},
    {IDC_ROTATE, IDB_ROTATE_NORMAL, IDB_ROTATE_PRESSED, IDB_ROTATE_FOCUS, IDB_ROTATE_DISABLED, 488, 93, 50, 29, IDS_HINT_ROTATE, 0x020},
    {IDC_ERASE, IDB_ERASE_NORMAL, IDB_ERASE_PRESSED, IDB_ERASE_FOCUS, IDB_ERASE_DISABLED, 538, 93, 50, 29, IDS_HINT_ERASE, 0x002},
    {IDC_CAMERA_SETTINGS, IDB_SETTINGS_NORMAL, IDB_SETTINGS_PRESSED, IDB_SETTINGS_FOCUS, IDB_SETTINGS_DISABLED, 488, 137, 50, 29, IDS_HINT_SETTINGS, 0x100},
    {IDC_CAMERA_STATUS, IDB_STATUS_NORMAL, IDB_STATUS_PRESSED, IDB_STATUS_FOCUS, IDB_STATUS_DISABLED, 538, 137, 50, 29, IDS_HINT_STATUS, 0x200},
    {IDC_UPLOAD, IDB_UPLOAD_NORMAL, IDB_UPLOAD_PRESSED, IDB_UPLOAD_FOCUS, IDB_UPLOAD_DISABLED, 488, 168, 50, 29, IDS_HINT_UPLOAD, 0x004},
    {IDC_TAKE_PICTURE, IDB_TAKE_NORMAL, IDB_TAKE_PRESSED, IDB_TAKE_FOCUS, IDB_TAKE_DISABLED, 538, 168, 50, 29, IDS_HINT_TAKE, 0x008},
    {IDC_CONNECT, IDB_CONNECT_NORMAL, IDB_CONNECT_PRESSED, IDB_CONNECT_FOCUS, IDB_CONNECT_DISABLED, 488, 212, 100, 29, IDS_HINT_CONNECT, 0},
    {IDC_HELP, IDB_HELP_NORMAL, IDB_HELP_PRESSED, IDB_HELP_FOCUS, IDB_HELP_NORMAL, 488, 400, 50, 29, IDS_HINT_HELP, 0},
    {IDC_EXIT, IDB_EXIT_NORMAL, IDB_EXIT_PRESSED, IDB_EXIT_FOCUS, IDB_EXIT_NORMAL, 538, 400, 50, 29, IDS_HINT_EXIT, 0},
    {IDC_PAGE_UP, IDB_PAGE_UP_NORMAL, IDB_PAGE_UP_PRESSED, IDB_PAGE_UP_FOCUS, IDB_PAGE_UP_DISABLED, 448, 38, 25, 30, IDS_HINT_PAGE_UP, 0},
    {IDC_ROW_UP, IDB_ROW_UP_NORMAL, IDB_ROW_UP_PRESSED, IDB_ROW_UP_FOCUS, IDB_ROW_UP_DISABLED, 448, 77, 25, 30, IDS_HINT_ROW_UP, 0},
    {IDC_ROW_DOWN, IDB_ROW_DOWN_NORMAL, IDB_ROW_DOWN_PRESSED, IDB_ROW_DOWN_FOCUS, IDB_ROW_DOWN_DISABLED, 448, 117, 25, 30, IDS_HINT_ROW_DOWN, 0},
    {IDC_PAGE_DOWN, IDB_PAGE_DOWN_NORMAL, IDB_PAGE_DOWN_PRESSED, IDB_PAGE_DOWN_FOCUS, IDB_PAGE_DOWN_DISABLED, 448, 156, 25, 30, IDS_HINT_PAGE_DOWN, 0},
}};

// The focus sink, a 4 x 4 button that takes the focus when the mouse is over
// the background, so no toolbar button keeps its hover look.
inline constexpr int kFocusSinkX = 1;
inline constexpr int kFocusSinkY = 1;
inline constexpr int kFocusSinkSize = 4;

// The progress bar's place.
inline constexpr int kProgressX = 488;
inline constexpr int kProgressY = 245;
inline constexpr int kProgressWidth = 100;
inline constexpr int kProgressHeight = 40;

// Cell k (0-based) of the grid.
inline constexpr int kCellWidth = 97;
inline constexpr int kCellHeight = 108;
constexpr int cellX(int index) { return 36 + 4 + (index % 4) * (kCellWidth + 4); }
constexpr int cellY(int index) { return 27 + 4 + (index / 4) * (kCellHeight + 4); }
static_assert(cellX(3) == 343 && cellY(8) == 255);

}  // namespace qm::panel
