// The camera operations of the fault matrix, each as the panel or the
// camera tool runs it through DriverEntry, with what it produced: the
// result it reports (values, a picture, a file) and the camera's state
// afterwards, so that a run under a fault can be held against a fault-free
// one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "apps/faultmatrix/still_trial.h"

namespace qm::faultmatrix {

struct Observation {
    bool succeeded = false;
    std::vector<std::uint8_t> result;  // what the caller got
    std::uint64_t cameraState = 0;     // digest of the camera's pictures and settings
    bool spoiled = false;              // a write past the caller's buffer, a broken file left behind
};

struct StillOperation {
    const char* name;
    bool connectsFirst;    // the trial connects before the operation (and before any fault)
    bool deliversPicture;  // a wrong result is a corrupted picture
    Observation (*run)(StillTrial& trial);
};

// connect, info, list, thumbnail, download, save, erase, capture, upload,
// settings.
const std::vector<StillOperation>& stillOperations();

// Digest of the pictures stored and the settings.
std::uint64_t cameraStateOf(stillcam::StillCamera& camera);

}  // namespace qm::faultmatrix
