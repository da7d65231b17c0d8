#include "datasource/panel/panel_link.h"

#include "datasource/strings/names.h"
#include "platform/system/directories.h"
#include "platform/system/files.h"

namespace qm::ds {

InstallPaths installPaths()
{
    const std::string twain = sys::joinPath(sys::windowsDirectory(), kTwainDirectory);
    const std::string install = sys::joinPath(twain, kInstallDirectory);
    return InstallPaths{
        .panel = sys::joinPath(install, kPanelFile),
        .device = sys::joinPath(install, kDeviceFile),
        .dataSource = sys::joinPath(twain, kDataSourceFile),
    };
}

void loadPanelModule(SourceRecord& record)
{
    record.paths = installPaths();
    PanelLink& panel = record.panel;
    sys::HMODULE module = sys::LoadLibrary(record.paths.panel.c_str());
    if (!sys::isValidModuleHandle(module)) {
        panel.module = nullptr;
        return;
    }
    panel.module = module;
    panel.entry = sys::getProc<panel::PanelEntryProc>(module, panel::kPanelEntryName);
    panel.status = PANEL_LOADED;
}

void unloadPanelModule(PanelLink& panel)
{
    if (panel.module != nullptr)
        sys::FreeLibrary(panel.module);
    panel.module = nullptr;
    panel.entry = nullptr;
    panel.status = PANEL_NOT_LOADED;
}

bool callPanel(PanelLink& panel, std::uint32_t command, std::uintptr_t first, std::uintptr_t second)
{
    if (panel.module == nullptr || panel.entry == nullptr)
        return false;
    return (panel.entry(command, first, second, 0) & 0xFF) != 0;
}

}  // namespace qm::ds
