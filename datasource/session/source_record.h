// The one record of a loaded data source: TWAIN state, condition code, the
// two identities, the link to the panel module, the install paths, the
// transfer fields and the capability values. Process-wide; one application
// is served at a time.
#pragma once

#include <cstdint>
#include <string>

#include "panel/entry/panel_entry.h"
#include "platform/system/global_memory.h"
#include "platform/system/library.h"
#include "platform/twain/twain_entry.h"

namespace qm::ds {

using namespace qm::twain;

// TWAIN state, kept as 100 times the state number. 700 is recognised but
// never entered: a finished transfer leaves the source at 600.
inline constexpr std::int32_t STATE_LOADED = 300;
inline constexpr std::int32_t STATE_OPEN = 400;
inline constexpr std::int32_t STATE_ENABLED = 500;
inline constexpr std::int32_t STATE_XFERREADY = 600;
inline constexpr std::int32_t STATE_TRANSFERRING = 700;

// How far the panel module got.
inline constexpr std::uint16_t PANEL_NOT_LOADED = 0;
inline constexpr std::uint16_t PANEL_LOADED = 1;
inline constexpr std::uint16_t PANEL_CREATED = 2;
inline constexpr std::uint16_t PANEL_SHOWN = 3;

struct PanelLink {
    sys::HMODULE module = nullptr;
    panel::PanelEntryProc entry = nullptr;
    std::uint16_t status = PANEL_NOT_LOADED;
    panel::PanelWindowHandle window = nullptr;  // the panel's dialog, from CMUI_CREATE
    TW_BOOL showUI = TW_FALSE;                  // of the last enable request
    panel::PanelWindowHandle parent = nullptr;  // of the last enable request
};

// Rebuilt at every load of the panel module (see installPaths()).
struct InstallPaths {
    std::string panel;
    std::string device;
    std::string dataSource;
};

struct CapabilityValues {
    std::int32_t transferCount = -1;  // -1: every selected picture
    TW_UINT16 transferMechanism = TWSX_NATIVE;
    TW_UINT16 fileFormat = TWFF_BMP;  // shared with DAT_SETUPFILEXFER
    TW_UINT16 units = TWUN_PIXELS;
    TW_UINT16 pixelFlavor = TWPF_CHOCOLATE;
    TW_UINT16 planarChunky = TWPC_CHUNKY;
    TW_UINT16 jpegPixelType = TWPT_RGB;
};

// The ImageBuffer: a picture as the panel delivered it, with the size it
// was delivered at (later size queries may already describe the next one).
struct HeldPicture {
    sys::HGLOBAL handle = nullptr;
    std::uint8_t* bytes = nullptr;  // the block, locked while held
    std::size_t size = 0;           // bytes allocated
    std::int32_t width = 0;
    std::int32_t height = 0;
};

struct TransferState {
    std::int32_t width = 0;  // of the last size report; 0 before the first
    std::int32_t height = 0;
    std::uint16_t bitsPerPixel = 0;
    std::size_t bitmapSize = 0;  // header and padded rows of the picture the panel delivers
    HeldPicture image;
    std::int32_t stripRow = 0;   // first image row (from the top) of the next memory strip
    std::string fileName;        // current file of file transfers
};

struct SourceRecord {
    SourceRecord();

    std::int32_t state = STATE_LOADED;
    TW_UINT16 condition = TWCC_SUCCESS;
    TW_IDENTITY application{};  // Id 0: no application connected
    TW_IDENTITY source{};
    PanelLink panel;
    InstallPaths paths;
    // The file this source was loaded from, as loaded; empty when the source
    // is linked into a program rather than loaded.
    std::string ownPath;
    TransferState transfer;
    CapabilityValues capabilities;

    // Where notifications go; null reaches the source manager by name for
    // each notification. Tests point it at a recorder.
    DSMENTRYPROC sourceManagerOverride = nullptr;
};

// Records a failure and answers TWRC_FAILURE.
inline TW_UINT16 fail(SourceRecord& record, TW_UINT16 condition)
{
    record.condition = condition;
    return TWRC_FAILURE;
}

// Library end: unloads a panel module that is still loaded (without closing
// its dialog first) and frees a picture still held.
void releaseSourceRecord(SourceRecord& record);

}  // namespace qm::ds
