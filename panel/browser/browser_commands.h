// The browser's command buttons and the operations behind them.
#pragma once

#include <string>

namespace qm::panel {

class CPhotoBrowserDlg;

// Runs the command of button `id`; false when `id` is no command button.
bool runBrowserCommand(CPhotoBrowserDlg& browser, int id);
// The panel's help file: Vantrel.hlp in the install directory (the help
// window reads a plain-text Vantrel.txt beside it).
std::string panelHelpFile();

}  // namespace qm::panel
