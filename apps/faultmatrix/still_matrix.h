// The still camera's part of the fault matrix: every operation over USB and
// over the serial line, under every fault kind the simulated camera can
// commit, at several requests of the operation (its first, its middle and
// its last, and the first, middle and last block of a paged read).
#pragma once

#include <cstdio>
#include <string>

#include "apps/faultmatrix/tally.h"

namespace qm::faultmatrix {

struct StillMatrixOptions {
    std::string modulePath;
    bool shortForm = false;  // one point per fault, a few kinds on the serial line
    bool verbose = false;    // a line per trial
    double hangLimitSeconds = 60;
    std::string onlyOperation;  // empty: all
    std::string onlyFault;      // empty: all
};

// Fills one row per operation and attachment. False when the matrix could
// not run at all (the module or a fault-free run failed); `problem` says why.
bool runStillMatrix(const StillMatrixOptions& options, Table& table, std::FILE* log, std::string& problem);

}  // namespace qm::faultmatrix
