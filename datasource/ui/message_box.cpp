#include "datasource/ui/message_box.h"

#include <string>

#include "datasource/strings/string_table.h"
#include "platform/system/trace.h"
#include "platform/ui/dialogs/message_box.h"

namespace qm::ds {

void showMessageBox(std::string_view text)
{
    const std::string line(text);
    sys::trace(line + "\n");
    ui::MessageBox(nullptr, line.c_str(), std::string(loadString(IDS_PRODUCT_NAME)).c_str(), ui::MB_OK);
}

}  // namespace qm::ds
