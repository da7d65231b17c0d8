// The UI sample: shows the platform's dialogs, skins, fonts and timers.
//
//   uisample                     runs the dialog until Quit
//   uisample --screenshot FILE   shows it, lets the bar run, writes a PNG
//   uisample --report FILE       writes what the handlers did when it ends
//
// QM4200_UI picks the backend (headless or sdl); QM4200_UI_SCRIPT drives it.
#include <cstdio>
#include <cstring>
#include <string>

#include "examples/uisample/resource.h"
#include "examples/uisample/sample_dialog.h"
#include "platform/system/files.h"
#include "platform/ui/automation/automation.h"

namespace {

class CSampleApp : public qm::ui::CWinApp {
public:
    CSampleApp() : CWinApp("UI Sample") {}
};

CSampleApp theApp;

int usage()
{
    std::fprintf(stderr, "usage: uisample [--screenshot FILE] [--report FILE]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string screenshot, report;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc)
            screenshot = argv[++i];
        else if (std::strcmp(argv[i], "--report") == 0 && i + 1 < argc)
            report = argv[++i];
        else
            return usage();
    }
    uisample::CSampleDialog dialog;
    theApp.m_pMainWnd = &dialog;
    if (!screenshot.empty()) {
        if (!dialog.Create(IDD_MAIN)) {
            std::fprintf(stderr, "uisample: the dialog cannot be created\n");
            return 1;
        }
        dialog.ShowWindow(qm::ui::SW_SHOW);
        // Let the bar run for half a second (of the virtual clock when headless).
        qm::ui::automation::runFor(500);
        qm::ui::automation::pumpPending();
        if (!qm::ui::automation::screenshot(dialog.m_hWnd, screenshot)) {
            std::fprintf(stderr, "uisample: cannot write %s\n", screenshot.c_str());
            return 1;
        }
        return 0;
    }
    dialog.DoModal();
    if (!report.empty()) {
        std::string text;
        for (const std::string& e : dialog.events())
            text += e + "\n";
        if (!qm::sys::writeFileAtomically(report, text)) {
            std::fprintf(stderr, "uisample: cannot write %s\n", report.c_str());
            return 1;
        }
    }
    return 0;
}
