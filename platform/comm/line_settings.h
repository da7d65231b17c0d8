// Line settings: a DCB applied to a terminal and read back from one.
#pragma once

#include <termios.h>

#include <optional>

#include "platform/comm/comm.h"

namespace qm::comm {

// The termios speed constant of a rate, if the terminal layer has one.
std::optional<speed_t> speedConstant(DWORD baudRate);
std::optional<DWORD> baudRateOf(speed_t speed);

// Raw binary line from a DCB; false for values the line cannot take.
bool dcbToTermios(const DCB& dcb, termios& tio);
// The DCB that describes a terminal's current settings.
DCB dcbFromTermios(const termios& tio);

}  // namespace qm::comm
