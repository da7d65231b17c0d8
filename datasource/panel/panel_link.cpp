#include "datasource/panel/panel_link.h"

#include <filesystem>

#include "datasource/strings/names.h"
#include "platform/system/directories.h"
#include "platform/system/files.h"

namespace qm::ds {

namespace {

std::string parentOf(const std::string& path)
{
    return std::filesystem::path(path).parent_path().string();
}

InstallPaths inDirectory(const std::string& install, const std::string& dataSource)
{
    return InstallPaths{
        .panel = sys::joinPath(install, kPanelFile),
        .device = sys::joinPath(install, kDeviceFile),
        .dataSource = dataSource,
    };
}

}  // namespace

InstallPaths installPaths(const std::string& ownPath)
{
    if (!ownPath.empty()) {
        std::error_code error;
        const std::string linked = std::filesystem::canonical(ownPath, error).string();
        for (const std::string& twain : {parentOf(ownPath), error ? std::string() : parentOf(linked)}) {
            const std::string install = sys::joinPath(twain, kInstallDirectory);
            if (!twain.empty() && sys::directoryExists(install))
                return inDirectory(install, ownPath);
        }
    }
    const std::string twain = sys::joinPath(sys::windowsDirectory(), kTwainDirectory);
    return inDirectory(sys::joinPath(twain, kInstallDirectory),
                       ownPath.empty() ? sys::joinPath(twain, kDataSourceFile) : ownPath);
}

void loadPanelModule(SourceRecord& record)
{
    record.paths = installPaths(record.ownPath);
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
