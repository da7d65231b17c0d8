// Answering the panel's own modal dialogs from a test: work that waits for
// its window at the idle moments of the modal loops, and photographs of
// windows as they stand, kept as test artefacts.
#pragma once

#include <functional>
#include <string>

#include "platform/ui/types.h"

namespace qm::panel::test {

// Runs `action` at an idle moment of a modal loop once `find` sees its
// window; gives up (and fails the test) after `patience` idle moments
// without it.
void whenWindow(std::function<ui::HWND()> find, std::function<void(ui::HWND)> action, int patience = 500);

// The topmost visible window with this caption that holds control `id`.
ui::HWND findDialogWith(const char* caption, int id);

// Repaints the window with everything in it, then writes it as
// artifacts/panel/<name>.png of the build's tests; returns the path.
std::string photograph(ui::HWND window, const std::string& name);

}  // namespace qm::panel::test
