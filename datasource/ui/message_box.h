// The data source's own message boxes (buffer release failures).
#pragma once

#include <string_view>

namespace qm::ds {

void showMessageBox(std::string_view text);

}  // namespace qm::ds
