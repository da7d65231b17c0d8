// Connecting to the camera and loading its thumbnails, reloading when the
// camera changed, and what happens when it is lost.
#include "panel/browser/photo_browser_dlg.h"

#include "panel/entry/panel_globals.h"
#include "panel/operations/zoom_write_back.h"
#include "panel/resources/panel_resources.h"
#include "platform/system/timing.h"

namespace qm::panel {
namespace {

using namespace device;

// The device module's progress reaches the browser through this callback.
void progressCallback(std::uint32_t, std::uint32_t, std::uint32_t percent)
{
    if (BrowserHooks* browser = panelState().browser)
        browser->progress(int(percent));
}

void readModelCode()
{
    std::uint32_t model = 0;
    if (driverLink().call(kTypeReadValue, kReadModelCode, &model))
        panelState().modelCode = int(model);
}

void acknowledgeChange()
{
    driverLink().call(kTypeAction, kActionAcknowledgeChange);
}

bool refreshCount()
{
    return driverLink().call(kTypeReadValue, kReadPicturesStored, &panelState().camera.count);
}

}  // namespace

bool CPhotoBrowserDlg::readDriverInfo()
{
    std::uint32_t length = DriverInfo::kSize;
    DriverInfo fresh;
    if (!driverLink().call(kTypeDescription, kDescribeDriver, fresh.record.data(), &length))
        return false;
    driverInfo_ = fresh;
    return true;
}

bool CPhotoBrowserDlg::ConnectAndLoad()
{
    PanelState& state = panelState();
    abort_ = false;
    if (state.camera.connected == 1) {
        readModelCode();
        acknowledgeChange();
        if (!refreshCount()) {
            SetDisconnectedButtons(false);
            return false;
        }
    } else {
        operation_ = kOperationConnecting;
        moduleBusyCursor().begin();
        ShowProgress(0, panelString(IDS_PROGRESS_CONNECT));
        ui::HWND window = m_hWnd;
        const bool opened = driverLink().open(&window, &state.camera, progressCallback);
        HideProgress();
        readModelCode();
        moduleBusyCursor().end();
        EndOperation();
        if (!opened) {
            driverLink().call(kTypeDisconnect, 0);
            ShowMessage(IDS_CONNECTION_FAILED);
            // The buttons a camera of the last connection allowed would look
            // usable while nothing is connected: only the way back in works.
            SetDisconnectedButtons(true);
            return false;
        }
    }
    if (state.camera.count == 0)
        ShowMessage(IDS_NO_PHOTOS);
    if (readDriverInfo() && !driverInfo_.title().empty())
        SetWindowText(driverInfo_.title());

    // The lists are made anew: a browser shown again after it was hidden
    // (or reconnected) must not add the pictures a second time.
    state.resetLists();
    EmptyCells();
    zoomList_.clear();
    SetBusyButtons();
    state.camera.connected = 1;
    operation_ = kOperationLoadingThumbnails;
    const bool loaded = LoadThumbnails(1, int(state.camera.count));

    // Pictures that changed while loading are loaded again; the reload
    // counts as part of connecting.
    while (state.camera.connected == 1 && driverLink().changedQuery() != 0) {
        operation_ = kOperationConnecting;
        if (Reload())
            continue;
        if (!IsConnected()) {
            HandleDisconnect(true);
            EndOperation();
            return false;
        }
        acknowledgeChange();
    }
    EndOperation();
    if (!zoomList_.empty() && ShowMessage(IDS_ZOOM_FOUND, ui::MB_YESNO) == ui::IDYES)
        writeBackZoomedPictures(*this);
    HideProgress();
    if (loaded && state.camera.connected == 1)
        SetConnectedButtons();
    else
        SetDisconnectedButtons(false);
    return loaded;
}

bool CPhotoBrowserDlg::LoadThumbnails(int first, int last)
{
    PanelState& state = panelState();
    if (state.camera.connected != 1) {
        HandleDisconnect(true);
        return false;
    }
    ShowProgress(0, panelString(IDS_PROGRESS_THUMBNAIL));
    bool fetched = true;
    for (int number = first; number <= last; ++number) {
        moduleBusyCursor().begin();
        ShowProgress(0, formatPanelString(IDS_PROGRESS_PICTURE, number));
        fetched = FetchThumbnail(number);
        moduleBusyCursor().end();
        PumpMessages();
        if (!fetched)
            break;
        if (abort_) {
            HideProgress();
            return false;
        }
    }
    HideProgress();
    if (fetched) {
        SetConnectedButtons();
        return true;
    }
    // A fetch that failed because the camera went is a lost connection.
    if (state.camera.connected != 1 || !IsConnected())
        HandleDisconnect(true);
    return false;
}

bool CPhotoBrowserDlg::FetchThumbnail(int number)
{
    PanelState& state = panelState();
    if (!state.thumbs.append(number) || !state.pictures.append(number))
        return false;
    PictureItem& picture = state.pictures.find(number);
    bool attempted = false;
    bool fetched = false;
    if (state.camera.connected == 1 && picture.allocate()) {
        attempted = true;
        picture.image[0] = kThumbnailZoomed;
        std::uint32_t parameter = std::uint32_t(number);
        fetched = driverLink().call(kTypeAction, kActionGetThumbnail, &parameter, picture.image.data());
        // The device module leaves 20 in the parameter for a picture the
        // camera holds zoomed. Only a thumbnail that really arrived counts:
        // a picture that was not fetched must never reach the write-back,
        // which erases what it rewrites.
        if (fetched && parameter == kThumbnailZoomed)
            zoomList_.push_back(number);
    }
    if (!attempted) {
        if (!IsConnected()) {
            HandleDisconnect(true);
            return false;
        }
        RefreshCells();
    }
    ScrollToShow(number);
    return fetched;
}

void CPhotoBrowserDlg::RefetchThumbnail(int number)
{
    PanelState& state = panelState();
    if (!state.thumbs.contains(number) || !BeginOperation(kOperationLoadingThumbnails))
        return;
    StopPolling();
    PictureItem& picture = state.pictures.find(number);
    ThumbItem& item = state.thumbs.find(number);
    picture.width = kThumbWidth;
    picture.height = kThumbHeight;
    moduleBusyCursor().begin();
    if (picture.allocate()) {
        picture.image[0] = kThumbnailZoomed;
        std::uint32_t parameter = std::uint32_t(number);
        if (driverLink().call(kTypeAction, kActionGetThumbnail, &parameter, picture.image.data())) {
            // The fresh thumbnail is upright again; the cell turns it as the
            // user had turned it.
            item.rotationPending = item.rotationShown;
        }
        item.changed = true;
    }
    moduleBusyCursor().end();
    RedrawCells();
    EndOperation();
    StartPolling();
}

bool CPhotoBrowserDlg::Reload()
{
    PanelState& state = panelState();
    if (operation_ != kOperationIdle && operation_ != kOperationConnecting) {
        if (!IsConnected())
            HandleDisconnect(true);
        return false;
    }
    const bool wasConnected = state.camera.connected == 1;
    operation_ = kOperationReloading;
    EmptyCells();
    state.resetLists();
    if (!refreshCount()) {
        if (!IsConnected())
            HandleDisconnect(true);
        EndOperation();
        return false;
    }
    SetBusyButtons();
    const bool loaded = LoadThumbnails(1, int(state.camera.count));
    EndOperation();
    if (wasConnected && state.camera.connected == 1)
        SetConnectedButtons();
    else
        SetDisconnectedButtons(false);
    return loaded;
}

bool CPhotoBrowserDlg::IsConnected()
{
    for (int attempt = 1; attempt <= 3; ++attempt) {
        if (driverLink().callWithPause(kTypeStatus, kStatusCameraAnswers))
            return true;
        if (attempt < 3)
            sys::Sleep(400);
    }
    return false;
}

void CPhotoBrowserDlg::HandleDisconnect(bool withMessage)
{
    PanelState& state = panelState();
    SetConnectedButtons();
    if (state.camera.connected == 1) {
        state.camera.connected = 0;
        if (withMessage)
            ShowMessage(IDS_CONNECTION_FAILED);
    }
    driverLink().call(kTypeDisconnect, 0);
    state.resetLists();
    state.camera.count = 0;
    firstVisible_ = 1;
    EmptyCells();
    SetDisconnectedButtons(true);
    RedrawCells();
}

}  // namespace qm::panel
