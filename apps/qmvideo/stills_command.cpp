// The stills command: the pictures stored in the camera, counted, taken,
// deleted and downloaded through the still pin as JPEG files. Actions run
// in the order given, on one camera.
#include <charconv>
#include <set>
#include <cstring>

#include "apps/common/output_paths.h"
#include "apps/qmvideo/exit_codes.h"
#include "apps/qmvideo/format_text.h"
#include "apps/qmvideo/property_access.h"
#include "apps/qmvideo/qmvideo.h"
#include "platform/system/files.h"
#include "simulators/dualcam/picture_store.h"
#include "videodriver/properties/morvax_properties.h"

namespace qm::qmvideo {

namespace {

using namespace morvax;

constexpr ULONG kStillPin = 1;
// Reads waiting at once: every picture of a batch needs its read before
// the camera sends it.
constexpr ULONG kPicturesPerBatch = 16;
constexpr ULONG kPictureTimeLimitMs = 15000;
constexpr ULONG kAttemptsPerPicture = 3;
constexpr std::size_t kPictureHeaderBytes = 24;  // up to the picture count and number
constexpr std::size_t kMostTestPictures = 4095;

std::optional<ULONG> number(const std::string& text)
{
    ULONG value = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end)
        return std::nullopt;
    return value;
}

struct Action {
    std::string name;
    std::string argument;  // the directory of download, the picture of delete
};

class Stills {
public:
    Stills(CommandContext& context, AdapterHost& host) : context_(context), host_(host) {}

    int count()
    {
        const PropertyValue stored = getProperty(host_, PROPSETID_VIDCAP_CAMERACONTROL, kCamPictureCount);
        const PropertyValue free = getProperty(host_, PROPSETID_VIDCAP_CAMERACONTROL, kCamFreePictures);
        if (!NT_SUCCESS(stored.status) || !NT_SUCCESS(free.status))
            return failed("the camera did not report its pictures", stored.status);
        std::fprintf(context_.out(), "%ld pictures stored, room for %ld more\n", long(stored.value), long(free.value));
        return kExitOk;
    }

    int take()
    {
        NTSTATUS status = setProperty(host_, PROPSETID_VIDCAP_CAMERACONTROL, kCamTakePicture, 1);
        if (!NT_SUCCESS(status))
            return failed("the camera did not take a picture", status);
        // Ready again once the picture is stored.
        const PropertyValue ready = getProperty(host_, PROPSETID_VIDCAP_CAMERACONTROL, kCamTakePicture);
        if (!NT_SUCCESS(ready.status) || ready.value != 1)
            return failed("the camera did not finish the picture", ready.status);
        std::fprintf(context_.out(), "picture taken\n");
        return kExitOk;
    }

    int erase(ULONG picture)
    {
        const NTSTATUS status = setProperty(host_, PROPSETID_VIDCAP_CAMERACONTROL, kCamDeletePicture, LONG(picture));
        if (!NT_SUCCESS(status))
            return failed("the camera did not delete picture " + std::to_string(picture), status);
        std::fprintf(context_.out(), "picture %u deleted\n", picture);
        return kExitOk;
    }

    int download(const std::string& directory)
    {
        std::string problem;
        if (!apps::ensureDirectory(directory, problem))
            return context_.fail(problem, kExitFailed);
        // In sequence from the first picture, numbered from the picture table.
        setProperty(host_, PROPSETID_VIDCAP_CAMERACONTROL, kCamDownloadMode, 0);
        const PropertyValue stored = getProperty(host_, PROPSETID_VIDCAP_CAMERACONTROL, kCamPictureCount);
        if (!NT_SUCCESS(stored.status))
            return failed("the camera did not report its pictures", stored.status);
        const ULONG pictures = ULONG(stored.value);
        std::set<unsigned> saved;
        for (ULONG done = 0; done < pictures;) {
            const ULONG batch = std::min(pictures - done, kPicturesPerBatch);
            if (!downloadBatch(directory, batch, saved))
                break;
            done += batch;
        }
        // A picture broken on the way spoils the rest of a sequence: those
        // not saved yet are fetched one by one.
        if (saved.size() < pictures) {
            setProperty(host_, PROPSETID_VIDCAP_CAMERACONTROL, kCamDownloadMode, 1);
            for (unsigned picture = 1; picture <= pictures; ++picture) {
                for (ULONG attempt = 0; attempt < kAttemptsPerPicture && !saved.count(picture); ++attempt) {
                    setProperty(host_, PROPSETID_VIDCAP_CAMERACONTROL, kCamDownloadPicture, LONG(picture));
                    downloadBatch(directory, 1, saved);
                }
                if (!saved.count(picture))
                    return failed("picture " + std::to_string(picture) + " did not come", STATUS_UNSUCCESSFUL);
            }
        }
        std::fprintf(context_.out(), "%u pictures downloaded\n", pictures);
        return kExitOk;
    }

private:
    int failed(const std::string& what, NTSTATUS status)
    {
        std::fprintf(context_.err(), "qmvideo: %s (%s)\n", what.c_str(), statusText(status).c_str());
        return kExitFailed;
    }

    // Runs the still pin for `pictures` pictures and saves them; false when
    // one did not come (the pictures saved are in `saved`).
    bool downloadBatch(const std::string& directory, ULONG pictures, std::set<unsigned>& saved)
    {
        const auto& ranges = host_.description().streams.at(kStillPin).formats;
        std::vector<UCHAR> format(sizeof(KS_DATAFORMAT_VIDEOINFOHEADER));
        ULONG bytes = 0;
        if (ranges.empty() || !NT_SUCCESS(host_.dataIntersection(kStillPin, ranges[0], format, bytes)))
            return false;
        const VideoFormat video = describeRange(ranges[0]);
        std::unique_ptr<Stream> stream;
        if (!NT_SUCCESS(host_.openStream(kStillPin, format, stream)))
            return false;
        // A read waits for every picture before the stream runs; the camera
        // holds its pictures until the host's transfers ask for them.
        stream->setState(KSSTATE_PAUSE);
        for (ULONG i = 0; i < pictures; ++i)
            stream->queueRead(ULONG(video.imageSize));
        stream->setState(KSSTATE_RUN);
        bool whole = true;
        for (ULONG i = 0; i < pictures && whole; ++i) {
            const std::optional<CompletedRead> read = stream->waitForRead(kPictureTimeLimitMs);
            whole = read && NT_SUCCESS(read->status) && read->data.size() >= kPictureHeaderBytes &&
                    save(directory, read->data, saved);
        }
        stream->setState(KSSTATE_STOP);
        stream->close();
        return whole;
    }

    // Named by the picture's number, which the driver puts in the file.
    bool save(const std::string& directory, const std::vector<UCHAR>& jpeg, std::set<unsigned>& saved)
    {
        const unsigned count = jpeg[20] << 8 | jpeg[21];
        const unsigned picture = jpeg[22] << 8 | jpeg[23];
        char name[32];
        std::snprintf(name, sizeof name, "picture_%04u.jpg", picture);
        const std::string path = directory + "/" + name;
        if (!sys::writeFileAtomically(path, jpeg)) {
            failed("cannot write " + path, STATUS_UNSUCCESSFUL);
            return false;
        }
        saved.insert(picture);
        std::fprintf(context_.out(), "picture %u of %u: %zu bytes -> %s\n", picture, count, jpeg.size(), path.c_str());
        return true;
    }

    CommandContext& context_;
    AdapterHost& host_;
};

int runStills(CommandContext& context, const std::vector<std::string>& arguments)
{
    std::vector<Action> actions;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        const bool takesArgument = word == "download" || word == "delete" || word == "--pictures";
        if (takesArgument && i + 1 >= arguments.size())
            return context.usage("'" + word + "' needs a value");
        if (word == "--pictures") {
            const std::optional<ULONG> pictures = number(arguments[++i]);
            if (!pictures || *pictures > kMostTestPictures)
                return context.usage("'" + arguments[i] + "' is not a number of pictures");
            context.cameraConfig().pictures = dualcam::testPictures(*pictures);
        } else if (word == "count" || word == "take") {
            actions.push_back({word, {}});
        } else if (takesArgument) {
            if (word == "delete" && !number(arguments[i + 1]))
                return context.usage("'" + arguments[i + 1] + "' is not a picture number");
            actions.push_back({word, arguments[++i]});
        } else {
            return context.usage("unknown stills action " + word);
        }
    }
    if (actions.empty())
        return context.usage("stills needs an action");
    VideoSession* session = context.session();
    if (session == nullptr)
        return kExitNoDriver;
    Stills stills(context, session->host());
    for (const Action& action : actions) {
        int result = kExitOk;
        if (action.name == "count")
            result = stills.count();
        else if (action.name == "take")
            result = stills.take();
        else if (action.name == "delete")
            result = stills.erase(*number(action.argument));
        else
            result = stills.download(action.argument);
        if (result != kExitOk)
            return result;
    }
    return kExitOk;
}

}  // namespace

const Command kStillsCommand = {
    "stills",
    "  stills ACTION...              the pictures stored in the camera, actions in order:\n"
    "      count                     pictures stored and room left\n"
    "      take                      take a picture\n"
    "      delete N                  delete picture N\n"
    "      download DIR              every stored picture as DIR/picture_NNNN.jpg\n"
    "      --pictures N              the simulated camera starts with N test pictures\n",
    runStills};

}  // namespace qm::qmvideo
