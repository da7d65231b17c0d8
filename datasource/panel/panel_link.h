// The data source's link to its panel module, loaded by path from the
// install directory and driven through its PanelEntry export.
#pragma once

#include <cstdint>

#include "datasource/session/source_record.h"

namespace qm::ds {

// The panel and device module lie in the install directory "QM4200" beside
// the source's own file: beside the path it was loaded under, else beside
// the file that path links to (an installed source is listed in the
// platform's TWAIN directory through a link). A source loaded from neither,
// or linked into a program (empty `ownPath`), uses W/TWAIN_32/QM4200 of the
// current Windows directory W. The data source path is the source's own
// file, so that the panel binds back to this very library; W/TWAIN_32/
// QM4200.DS when there is none.
InstallPaths installPaths(const std::string& ownPath);

// Rebuilds the paths and loads the panel module. On success the link holds
// the library and its PanelEntry (which may be missing) and the status
// becomes PANEL_LOADED; on failure the handle is cleared and the status kept.
void loadPanelModule(SourceRecord& record);

// Releases the module if loaded: handle and entry cleared, status
// PANEL_NOT_LOADED.
void unloadPanelModule(PanelLink& panel);

// Calls PanelEntry; true when the low byte of the result is non-zero. A call
// while the module or its entry is missing fails and does nothing.
bool callPanel(PanelLink& panel, std::uint32_t command, std::uintptr_t first = 0, std::uintptr_t second = 0);

}  // namespace qm::ds
