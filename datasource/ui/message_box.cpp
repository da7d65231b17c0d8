#include "datasource/ui/message_box.h"

#include <cstdio>
#include <string>

#include "platform/system/trace.h"

namespace qm::ds {

// Until the window system's message boxes are reachable from here the text
// goes to the diagnostic trace and the standard error stream of the
// application.
void showMessageBox(std::string_view text)
{
    sys::trace(std::string(text) + "\n");
    std::fprintf(stderr, "%.*s\n", int(text.size()), text.data());
}

}  // namespace qm::ds
