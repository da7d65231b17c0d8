// The photo browser: the one window the panel shows while the data source is
// enabled. A modeless dialog drawn from bitmaps, with a 4 x 3 grid of
// thumbnails, the camera commands and a progress bar. It runs one operation
// at a time; long operations pump its messages so Exit stays usable.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "panel/browser/driver_info.h"
#include "panel/browser/service_screen.h"
#include "panel/controls/bmp_button.h"
#include "panel/controls/progress_bar.h"
#include "panel/controls/thumb_cell.h"
#include "panel/model/panel_state.h"
#include "panel/resources/resource.h"
#include "platform/ui/framework/afx.h"

namespace qm::panel {

enum OperationCode : int {
    kOperationIdle = 0,
    kOperationConnecting = 1,
    kOperationScrolling = 4,
    kOperationTakingPicture = 5,
    kOperationErasing = 6,
    kOperationUploading = 7,
    kOperationRotating = 8,
    kOperationTransferring = 9,
    kOperationSelecting = 10,
    kOperationReloading = 13,
    kOperationLoadingThumbnails = 14,
    kOperationSaving = 15,
};

// Modal dialogs the browser opens, recorded while they run.
enum DialogCode : int { kDialogNone = 0, kDialogAbout = 1, kDialogCameraSettings = 2, kDialogCameraStatus = 3 };

inline constexpr int kCellCount = 12;
inline constexpr int kCellsPerRow = 4;
inline constexpr ui::UINT_PTR kPollingTimer = 1001;

class CPhotoBrowserDlg : public ui::CDialog, public BrowserHooks {
    DECLARE_DYNAMIC(CPhotoBrowserDlg)
public:
    explicit CPhotoBrowserDlg(ui::CWnd* owner);
    ~CPhotoBrowserDlg() override;

    // Creates the modeless window from template 101, owned by `owner`.
    ui::BOOL CreateBrowser();

    // Connecting and loading.
    bool ConnectAndLoad();
    bool LoadThumbnails(int first, int last);
    bool FetchThumbnail(int number);
    bool Reload();
    bool IsConnected();
    void HandleDisconnect(bool withMessage);

    // The operation slot.
    bool BeginOperation(int code);
    bool BeginDialog(int code);
    void EndOperation();
    // The Connect button's steps run as connecting (a reload is allowed).
    void BeginConnecting() { operation_ = kOperationConnecting; }
    int currentDialog() const { return currentDialog_; }
    void setCurrentDialog(int code) { currentDialog_ = code; }
    bool abortRequested() const { return abort_; }
    void setAbort(bool abort) { abort_ = abort; }
    // Leaves the panel: deselects, hides, closes the connection and asks the
    // application to close the source.
    void Quit();

    // Button states.
    void SetDisconnectedButtons(bool keepSettings);
    void SetBusyButtons();
    void SetConnectedButtons();
    void StartPolling();
    void StopPolling();
    bool polling() const { return pollingTimer_ != 0; }

    // Progress display; texts end in "\n" as the string table has them.
    void ShowProgress(int percent, const std::string& text);
    void SetProgressText(const std::string& text);
    void HideProgress();

    // The grid.
    int firstVisible() const { return firstVisible_; }
    void ScrollToShow(int number);
    void RedrawCells();
    void RefreshCells();
    void EmptyCells();
    void ScrollPageDown();
    void ScrollPageUp();
    void ScrollRowDown();
    void ScrollRowUp();

    // Selection and rotation.
    int selectionAnchor() const { return anchor_; }
    void SelectAll(bool select);
    void RotateSelected();
    void RefetchThumbnail(int number);

    // Handles the messages waiting for this window and its controls.
    void PumpMessages();
    // A message box with the panel's caption.
    int ShowMessage(const std::string& text, ui::UINT type = ui::MB_OK);
    int ShowMessage(ui::UINT stringId, ui::UINT type = ui::MB_OK);

    const DriverInfo& driverInfo() const { return driverInfo_; }
    std::vector<int>& zoomList() { return zoomList_; }
    ServiceScreen& serviceScreen() { return service_; }
    CProgressBar& progressBar() { return progress_; }
    CBmpButton* toolbarButton(int id);

    // BrowserHooks.
    ui::HWND browserWindow() const override { return m_hWnd; }
    int currentOperation() const override { return operation_; }
    void cellClicked(int number, ui::UINT flags) override;
    void cellDoubleClicked(int number) override;
    void showImageInfo(int number) override;
    void repaintNow() override;
    void progress(int percent) override;

protected:
    ui::BOOL OnInitDialog() override;
    ui::BOOL OnEraseBkgnd(ui::CDC* dc) override;
    void OnPaint() override;
    void OnMouseMove(ui::UINT flags, ui::CPoint point) override;
    ui::BOOL OnSetCursor(ui::CWnd* wnd, ui::UINT hitTest, ui::UINT message) override;
    void OnTimer(ui::UINT_PTR id) override;
    void OnClose() override;
    void OnDestroy() override;
    ui::BOOL OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) override;
    ui::BOOL PreTranslateMessage(ui::MSG* msg) override;
    void OnOK() override;
    void OnCancel() override;

private:
    // No operation runs and the camera answers (reloaded when it changed).
    bool slotAvailable();
    void createControls();
    void destroyControls();
    void onCommandButton(int id);
    void leave();
    void pollOnce();
    void enableButtons(std::uint32_t capabilities, bool connected, bool keepSettings, bool connectEnabled);
    void showAbout();
    void showHelp();
    void showFirmwareVersion();
    void showSoftwareVersion();
    void runServiceAction(ServiceAction action);
    bool readDriverInfo();
    int cellNumber(int index) const { return firstVisible_ + index; }

    ui::CWnd* owner_ = nullptr;
    int operation_ = kOperationIdle;
    int currentDialog_ = kDialogNone;
    int firstVisible_ = 1;
    bool abort_ = false;
    bool closing_ = false;
    int anchor_ = 0;
    DriverInfo driverInfo_;
    std::vector<int> zoomList_;
    ui::UINT_PTR pollingTimer_ = 0;
    int progressThreshold_ = 0;
    ServiceScreen service_;

    ui::CBitmap background_;
    std::vector<std::unique_ptr<CBmpButton>> toolbar_;
    CBmpButton focusSink_;
    std::array<CThumbCell, kCellCount> cells_;
    CProgressBar progress_;
};

// The one browser window, or null.
CPhotoBrowserDlg* browserDialog();

}  // namespace qm::panel
