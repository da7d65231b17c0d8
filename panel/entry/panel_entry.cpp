// PanelEntry: the data source creates, shows, hides and closes the browser
// through it, binds the panel to the device module and back to itself, and
// pulls the selected pictures during a transfer.
#include "panel/entry/panel_entry.h"

#include <cstring>
#include <memory>

#include "panel/browser/photo_browser_dlg.h"
#include "panel/entry/panel_globals.h"
#include "panel/entry/picture_delivery.h"
#include "panel/operations/transfer_to_application.h"
#include "panel/resources/panel_resources.h"
#include "panel/resources/resource.h"
#include "platform/system/threads.h"
#include "platform/system/trace.h"

namespace qm::panel {
namespace {

std::unique_ptr<CPhotoBrowserDlg> mainDialog;

const char* pathText(std::uintptr_t argument)
{
    const auto* path = reinterpret_cast<const PanelPathArgument*>(argument);
    return path != nullptr && path->text != nullptr ? path->text : "";
}

std::uint32_t create(std::uintptr_t parentArgument, std::uintptr_t dialogArgument)
{
    sys::trace("Init Dialog Start");
    const auto* parent = reinterpret_cast<const PanelWindowHandle*>(parentArgument);
    ui::HWND owner = parent != nullptr ? static_cast<ui::HWND>(*parent) : nullptr;
    auto dialog = std::make_unique<CPhotoBrowserDlg>(ui::IsWindow(owner) ? ui::CWnd::FromHandle(owner) : nullptr);
    if (!dialog->CreateBrowser())
        return 0;
    if (auto* handle = reinterpret_cast<PanelWindowHandle*>(dialogArgument))
        *handle = dialog->m_hWnd;
    if (ui::CWinApp* app = ui::AfxGetApp())
        app->m_pMainWnd = dialog.get();
    mainDialog = std::move(dialog);
    sys::trace("Init Dialog End");
    return 1;
}

std::uint32_t show(std::uintptr_t showArgument)
{
    const auto* value = reinterpret_cast<const std::uint32_t*>(showArgument);
    const bool visible = value != nullptr && *value != 0;
    if (!mainDialog)
        return visible ? 0 : 1;
    if (!visible) {
        mainDialog->ShowWindow(ui::SW_HIDE);
        return 1;
    }
    mainDialog->ShowWindow(ui::SW_SHOW);
    // A transfer that the application ended without asking for every
    // picture does not keep the browser busy when it is shown again.
    finishTransfer(*mainDialog);
    return mainDialog->ConnectAndLoad() ? 1 : 0;
}

std::uint32_t close()
{
    if (ui::CWinApp* app = ui::AfxGetApp(); app != nullptr && mainDialog && app->m_pMainWnd == mainDialog.get())
        app->m_pMainWnd = nullptr;
    if (mainDialog) {
        if (mainDialog->m_hWnd != nullptr)
            mainDialog->DestroyWindow();
        mainDialog.reset();
    }
    if (driverLink().bound())
        driverLink().call(device::kTypeDisconnect, 0);
    panelState().camera.connected = 0;
    return 1;
}

std::uint32_t bind(std::uintptr_t dataSourceArgument, std::uintptr_t deviceArgument)
{
    if (!driverLink().bind(pathText(deviceArgument)))
        return 0;
    return acquireLink().bind(pathText(dataSourceArgument)) ? 1 : 0;
}

}  // namespace
}  // namespace qm::panel

QM_EXPORT std::uint32_t PanelEntry(std::uint32_t command, std::uintptr_t first, std::uintptr_t second,
                                   std::uintptr_t /*third*/)
{
    using namespace qm::panel;
    qm::sys::ModuleEntryGuard entry;
    switch (command) {
    case CMUI_CREATE:
        return create(first, second);
    case CMUI_SHOW:
        return show(first);
    case CMUI_CLOSE:
    case CMUI_RELEASE:
        return close();
    case CMUI_BIND:
        return bind(first, second);
    case CMUI_IMAGE_SIZE:
        qm::sys::trace("Twain::PanelEntry(CMUI_IMAGE_SIZE)\n");
        return reportImageSize(reinterpret_cast<std::int32_t*>(first), reinterpret_cast<std::int32_t*>(second));
    case CMUI_GET_IMAGE:
        qm::sys::trace("Twain::PanelEntry(CMUI_GET_IMAGE)\n");
        return deliverImage(reinterpret_cast<std::uint8_t*>(first));
    case CMUI_XFER_COUNT:
        qm::sys::trace("Twain::PanelEntry(CMUI_XFER_COUNT)\n");
        return reportTransferCount(reinterpret_cast<std::uint32_t*>(first));
    default:
        return 1;
    }
}
