// panel_art OUTPUT_DIR [--sheet FILE.png [--only TEXT] [--zoom N]]: draws
// every bitmap of the panel's skin into OUTPUT_DIR as a 24-bit BMP file,
// and optionally a contact sheet of them (those whose file name contains
// TEXT, enlarged N times) for people to look over.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "panel/resources/art/bmp_file.h"
#include "panel/resources/art/contact_sheet.h"
#include "panel/resources/art/skin.h"
#include "platform/system/files.h"

int main(int argc, char** argv)
{
    std::string outputDir, sheet, only;
    int zoom = 0;
    bool wrongArguments = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--sheet") == 0 && i + 1 < argc)
            sheet = argv[++i];
        else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc)
            only = argv[++i];
        else if (std::strcmp(argv[i], "--zoom") == 0 && i + 1 < argc)
            zoom = std::atoi(argv[++i]);
        else if (outputDir.empty() && argv[i][0] != '-')
            outputDir = argv[i];
        else
            wrongArguments = true;
    }
    if (wrongArguments || outputDir.empty()) {
        std::fprintf(stderr, "usage: panel_art OUTPUT_DIR [--sheet FILE.png [--only TEXT] [--zoom N]]\n");
        return 2;
    }
    std::error_code error;
    std::filesystem::create_directories(outputDir, error);
    if (error) {
        std::fprintf(stderr, "panel_art: cannot create %s: %s\n", outputDir.c_str(), error.message().c_str());
        return 1;
    }
    const auto bitmaps = qm::panel::art::skinBitmaps();
    for (const auto& bitmap : bitmaps) {
        qm::panel::art::Canvas canvas(bitmap.width, bitmap.height, qm::ui::RGB(0, 0, 0));
        bitmap.paint(canvas);
        const std::string path = qm::sys::joinPath(outputDir, bitmap.file);
        if (!qm::sys::writeFileAtomically(path, qm::panel::art::encodeBmp(canvas))) {
            std::fprintf(stderr, "panel_art: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    std::vector<qm::panel::art::SkinBitmap> shown;
    for (const auto& bitmap : bitmaps)
        if (bitmap.file.find(only) != std::string::npos)
            shown.push_back(bitmap);
    if (!sheet.empty() && !qm::panel::art::writeContactSheet(shown, sheet, zoom)) {
        std::fprintf(stderr, "panel_art: cannot write %s\n", sheet.c_str());
        return 1;
    }
    return 0;
}
