// Pieces of the smaller windows: the progress bar's face, the strips of the
// status, settings and information dialogs, the settings dialog's option,
// digit and repeat buttons, and the About box's picture.
#pragma once

#include "panel/resources/art/canvas.h"

namespace qm::panel::art {

inline constexpr int kProgressWidth = 100;
inline constexpr int kProgressHeight = 40;
inline constexpr int kStripWidth = 480;
inline constexpr int kStripHeight = 30;
inline constexpr int kOptionWidth = 64;
inline constexpr int kOptionHeight = 24;
inline constexpr int kDigitWidth = 15;
inline constexpr int kDigitHeight = 21;
inline constexpr int kRepeatSize = 10;
inline constexpr int kAboutSize = 64;

enum class Strip { Top, Body, Bottom };

void paintProgressFace(Canvas& canvas);
void paintStrip(Canvas& canvas, Strip strip);
void paintOptionButton(Canvas& canvas, bool down);
void paintDigit(Canvas& canvas, int digit);
void paintRepeatButton(Canvas& canvas, bool up);
void paintAboutCamera(Canvas& canvas);

}  // namespace qm::panel::art
