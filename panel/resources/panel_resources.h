// Where the panel finds its resources: the module its code is linked into
// (Vantrel.DLL, or a test program that compiles the same resource script).
#pragma once

#include <string>

#include "platform/ui/types.h"

namespace qm::panel {

ui::HINSTANCE panelInstance();
// A string of the panel's string table; empty when it does not exist.
std::string panelString(ui::UINT id);
// A string of the table with one printf conversion filled.
std::string formatPanelString(ui::UINT id, int value);
std::string formatPanelString(ui::UINT id, int first, int second);
std::string formatPanelString(ui::UINT id, const std::string& text);

}  // namespace qm::panel
