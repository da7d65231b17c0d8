#include "apps/acquire/acquire.h"

#include <cstdio>
#include <filesystem>

#include "apps/acquire/message_loop.h"
#include "apps/common/output_paths.h"
#include "apps/acquire/source_manager_client.h"
#include "apps/acquire/transfers.h"
#include "platform/system/files.h"
#include "platform/system/global_memory.h"
#include "platform/system/byte_order.h"

namespace qm::acquire {
namespace {

bool chooseMechanism(SourceManagerClient& client, TW_UINT16 mechanism)
{
    sys::HGLOBAL container = sys::GlobalAlloc(sys::GHND, 6);
    if (container == nullptr)
        return false;
    auto* bytes = static_cast<std::uint8_t*>(sys::GlobalLock(container));
    sys::writeLe16(bytes, TWTY_UINT16);
    sys::writeLe32(bytes + 2, mechanism);
    sys::GlobalUnlock(container);
    TW_CAPABILITY capability{ICAP_XFERMECH, TWON_ONEVALUE, container};
    const bool ok = client.toSource(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability) == TWRC_SUCCESS;
    sys::GlobalFree(container);
    return ok;
}

std::string pictureStem(const std::string& directory, int number)
{
    char name[32];
    std::snprintf(name, sizeof name, "picture-%03d", number);
    return sys::joinPath(directory, name);
}

class Acquisition {
public:
    Acquisition(const AcquireOptions& options, std::ostream& out, std::ostream& err)
        : options_(options), out_(out), err_(err)
    {
    }

    int run();

private:
    void transferAll();
    bool fail(const std::string& message)
    {
        err_ << "acquire: " << message << "\n";
        return false;
    }

    const AcquireOptions& options_;
    std::ostream& out_;
    std::ostream& err_;
    SourceManagerClient client_;
    int written_ = 0;
    int failed_ = 0;
};

void Acquisition::transferAll()
{
    out_ << "Transfer ready\n";
    TW_UINT16 remaining = 0;
    do {
        const int number = written_ + failed_ + 1;
        const std::string stem = pictureStem(options_.outDirectory, number);
        PictureReport report;
        std::string error;
        out_ << "Picture " << number << ": " << mechanismName(options_.mechanism) << " transfer" << std::flush;
        if (transferPicture(client_, options_.mechanism, stem, report, error)) {
            ++written_;
            out_ << ", " << report.width << " x " << report.height;
            if (options_.mechanism == TWSX_MEMORY)
                out_ << " in " << report.strips << (report.strips == 1 ? " strip" : " strips");
            out_ << " -> " << stem << ".bmp, " << stem << ".png\n";
        } else {
            ++failed_;
            out_ << "\n";
            fail("picture " + std::to_string(number) + ": " + error);
        }
        TW_PENDINGXFERS pending{};
        if (client_.toSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending) != TWRC_SUCCESS) {
            fail("ending the transfer failed: " + client_.sourceCondition());
            return;
        }
        remaining = pending.Count;
        if (remaining > 0)
            out_ << remaining << " more to come\n";
    } while (remaining > 0);
}

int Acquisition::run()
{
    std::string error;
    if (!client_.open(error))
        return fail(error), 1;

    const std::vector<TW_IDENTITY> sources = client_.sources();
    out_ << (sources.empty() ? "No sources installed\n" : "Sources:\n");
    for (const TW_IDENTITY& source : sources)
        out_ << "  " << describeIdentity(source) << "\n";
    if (options_.listOnly)
        return 0;

    if (!client_.openSource(options_.sourceName, error))
        return fail(error), 1;
    out_ << "Opened " << client_.source().ProductName << "\n";
    if (!chooseMechanism(client_, options_.mechanism))
        return fail(std::string("the source refuses ") + mechanismName(options_.mechanism) +
                    " transfers: " + client_.sourceCondition()),
               1;

    if (std::string problem; !apps::ensureDirectory(options_.outDirectory, problem))
        return fail(problem), 1;

    MessageLoop loop(client_);
    if (!loop.attach())
        out_ << "The source manager does not call back; polling for the source's messages\n";
    TW_USERINTERFACE ui{TW_TRUE, TW_FALSE, nullptr};
    if (client_.toSource(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui) != TWRC_SUCCESS)
        return fail("the source cannot show its panel: " + client_.sourceCondition()), 1;
    out_ << "Panel shown: select pictures and press Transfer\n";

    const LoopEnd end = loop.run([this] { transferAll(); }, std::chrono::seconds(options_.timeoutSeconds));
    if (end == LoopEnd::TimedOut)
        fail("no word from the source for " + std::to_string(options_.timeoutSeconds) + " seconds; giving up");
    else if (end == LoopEnd::Quit)
        out_ << "Asked to quit\n";
    else
        out_ << "The source asks to be closed\n";

    client_.toSource(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    client_.close();
    out_ << written_ << (written_ == 1 ? " picture" : " pictures") << " written to " << options_.outDirectory
         << "\n";
    return end == LoopEnd::TimedOut || failed_ > 0 ? 1 : 0;
}

}  // namespace

int runAcquire(const AcquireOptions& options, std::ostream& out, std::ostream& err)
{
    return Acquisition(options, out, err).run();
}

}  // namespace qm::acquire
