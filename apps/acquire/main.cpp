// acquire: a TWAIN application on the source manager.
#include <cstdlib>
#include <iostream>

#include "apps/acquire/acquire.h"

int main(int argc, char** argv)
{
    // An application runs on real time, with or without a display.
    setenv("QM4200_UI_CLOCK", "real", 0);
    std::string error;
    const auto options = qm::acquire::parseOptions(argc, argv, error);
    if (!options) {
        std::cerr << "acquire: " << error << " (acquire --help shows the usage)\n";
        return 2;
    }
    // The window system starts the script the first time the panel shows.
    if (!options->uiScript.empty())
        setenv("QM4200_UI_SCRIPT", options->uiScript.c_str(), 1);
    if (options->help) {
        std::cout << qm::acquire::usage();
        return 0;
    }
    return qm::acquire::runAcquire(*options, std::cout, std::cerr);
}
