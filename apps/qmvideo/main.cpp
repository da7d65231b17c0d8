#include <cstdio>
#include <string>
#include <vector>

#include "apps/qmvideo/qmvideo.h"

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return qm::qmvideo::runQmvideo(arguments, stdout, stderr);
}
