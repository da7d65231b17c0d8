#include <cstdio>
#include <string>
#include <vector>

#include "apps/qmcam/qmcam.h"

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return qm::qmcam::runQmcam(arguments, stdout, stderr);
}
