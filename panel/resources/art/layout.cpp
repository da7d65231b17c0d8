#include "panel/resources/art/layout.h"

namespace qm::panel::art::layout {

RECT buttonRect(Command command)
{
    auto at = [](int x, int y, int w = 50, int h = 29) { return RECT{x, y, x + w, y + h}; };
    switch (command) {
    case Command::Save: return at(488, 18);
    case Command::Transfer: return at(538, 18);
    case Command::SelectAll: return at(488, 62);
    case Command::SelectNone: return at(538, 62);
    case Command::Rotate: return at(488, 93);
    case Command::Erase: return at(538, 93);
    case Command::Settings: return at(488, 137);
    case Command::Status: return at(538, 137);
    case Command::Upload: return at(488, 168);
    case Command::Shoot: return at(538, 168);
    case Command::Connect: return at(488, 212, 100);
    case Command::Help: return at(488, 400);
    case Command::Exit: return at(538, 400);
    case Command::PageUp: return at(448, 38, 25, 30);
    case Command::RowUp: return at(448, 77, 25, 30);
    case Command::RowDown: return at(448, 117, 25, 30);
    case Command::PageDown: return at(448, 156, 25, 30);
    }
    return {};
}

}  // namespace qm::panel::art::layout
