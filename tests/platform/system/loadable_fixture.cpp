// A library for the loader tests: one export, one hidden function.
#include "platform/system/export.h"

QM_EXPORT int fixtureAnswer() { return 42; }
int fixtureHidden() { return 7; }
