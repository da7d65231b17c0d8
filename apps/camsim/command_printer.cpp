#include "apps/camsim/command_printer.h"

namespace qm::camsim {

using namespace stillcam;

bool CommandPrinter::worthPrinting(const CommandRecord& record) const
{
    if (verbose_ || record.block <= 1 || record.fault || record.reply.empty())
        return true;
    if (record.code == CMD_READ_PICTURE || record.code == CMD_READ_THUMBNAIL)
        return record.reply.size() > 4 && record.reply[4] == 2;  // the last block
    if (record.code == CMD_WRITE_BLOCK)
        return record.request.size() > 5 && record.request[5] == 2;  // the last block
    return true;
}

void CommandPrinter::print(const CommandRecord& record, std::string_view description)
{
    if (worthPrinting(record))
        line(description);
}

void CommandPrinter::line(std::string_view text)
{
    using namespace std::chrono;
    const double seconds = duration<double>(steady_clock::now() - start_).count();
    std::lock_guard lock(mutex_);
    std::fprintf(out_, "[%9.3f] %.*s\n", seconds, int(text.size()), text.data());
    std::fflush(out_);
}

}  // namespace qm::camsim
