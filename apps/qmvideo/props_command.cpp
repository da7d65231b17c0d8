// The props command: the driver's device properties, listed, read and
// changed. The camera is powered down and up once before (so the settings
// the driver saved are in force) and, after a change, down again at the end
// (so the driver saves it): settings outlive the run.
#include <charconv>
#include <numeric>

#include "apps/qmvideo/capture_run.h"
#include "apps/qmvideo/exit_codes.h"
#include "apps/qmvideo/property_access.h"
#include "apps/qmvideo/qmvideo.h"
#include "platform/kernel/registry.h"

namespace qm::qmvideo {

namespace {

// The settings key an installation of the driver creates; the driver only
// writes values into it.
void installSettingsKey()
{
    for (const char16_t* key : {u"\\Registry\\MACHINE\\SOFTWARE\\Quillon",
                                u"\\Registry\\MACHINE\\SOFTWARE\\Quillon\\MORVAX"}) {
        std::u16string path = key;
        kernel::RtlCreateRegistryKey(kernel::RTL_REGISTRY_ABSOLUTE, path.data());
    }
}

std::optional<LONG> integer(const std::string& text)
{
    LONG value = 0;
    const char* end = text.data() + text.size();
    const int base = text.rfind("0x", 0) == 0 ? 16 : 10;
    const char* begin = text.data() + (base == 16 ? 2 : 0);
    const auto [last, error] = std::from_chars(begin, end, value, base);
    if (begin == end || error != std::errc() || last != end)
        return std::nullopt;
    return value;
}

void printProperty(std::FILE* out, AdapterHost& host, const GUID& set, const PropertyDescription& property)
{
    std::fprintf(out, "%-8s %3u  %s%s", propertySetName(set).c_str(), property.id, property.get ? "get" : "   ",
                 property.set ? " set" : "    ");
    if (property.range)
        std::fprintf(out, "  %ld..%ld", long(property.range->minimum), long(property.range->maximum));
    if (property.defaultValue)
        std::fprintf(out, "  default %ld", long(*property.defaultValue));
    // Only plain values are read here: the still-camera ids act on the camera.
    if (property.get && property.range) {
        const PropertyValue value = getProperty(host, set, property.id);
        if (NT_SUCCESS(value.status))
            std::fprintf(out, "  = %ld", long(value.value));
    }
    std::fputc('\n', out);
}

int list(CommandContext& context, VideoSession& session)
{
    AdapterHost& host = session.host();
    for (const PropertySetDescription& set : host.description().propertySets)
        for (const PropertyDescription& property : set.properties)
            printProperty(context.out(), host, set.set, property);
    return kExitOk;
}

// The picture's mean level over RGB24 frames.
struct LevelMeter {
    double sum = 0;
    unsigned frames = 0;
    void add(const CompletedRead& read)
    {
        sum += double(std::accumulate(read.data.begin(), read.data.end(), 0ull)) / double(read.data.size());
        ++frames;
    }
    double mean() const { return frames ? sum / frames : 0; }
};

// Runs the capture pin, changes the property halfway and reports the
// picture's level before the change and at the end.
int setLive(CommandContext& context, VideoSession& session, const GUID& set, ULONG id, LONG value, ULONG frames)
{
    CaptureOptions options;
    options.frames = 2 * frames;
    NTSTATUS status = STATUS_SUCCESS;
    LevelMeter before;
    LevelMeter after;
    unsigned seen = 0;
    const int result = runCapture(session, options, context.out(), context.err(), nullptr,
                                  [&](const CompletedRead& read, const VideoFormat&) {
                                      ++seen;
                                      if (seen <= frames) {
                                          // The last frames before the change.
                                          if (seen > frames / 2)
                                              before.add(read);
                                          if (seen == frames)
                                              status = setProperty(session.host(), set, id, value);
                                      } else if (seen > frames + frames / 2) {
                                          after.add(read);
                                      }
                                      return true;
                                  });
    std::fprintf(context.out(), "set %s %u = %ld: %s; picture level %.1f before, %.1f after\n",
                 propertySetName(set).c_str(), id, long(value), statusText(status).c_str(), before.mean(),
                 after.mean());
    return result != kExitOk ? result : (NT_SUCCESS(status) ? kExitOk : kExitFailed);
}

int runProps(CommandContext& context, const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return context.usage("props needs list, get or set");
    const std::string& action = arguments[0];
    std::optional<GUID> set;
    std::optional<LONG> id;
    std::optional<LONG> value;
    ULONG liveFrames = 0;
    if (action == "get" || action == "set") {
        const std::size_t needed = action == "get" ? 3 : 4;
        if (arguments.size() < needed)
            return context.usage("props " + action + " needs a set, an id" + (action == "set" ? " and a value" : ""));
        set = propertySetNamed(arguments[1]);
        id = integer(arguments[2]);
        if (!set || !id || *id < 0)
            return context.usage("no property " + arguments[1] + " " + arguments[2]);
        if (action == "set") {
            value = integer(arguments[3]);
            if (!value)
                return context.usage("'" + arguments[3] + "' is not a number");
        }
        for (std::size_t i = needed; i < arguments.size(); ++i) {
            if (action != "set" || arguments[i] != "--live" || i + 1 >= arguments.size())
                return context.usage("unknown option " + arguments[i]);
            const LONG frames = integer(arguments[++i]).value_or(0);
            if (frames <= 0)
                return context.usage("'" + arguments[i] + "' is not a number of frames");
            liveFrames = ULONG(frames);
        }
    } else if (action != "list" || arguments.size() != 1) {
        return context.usage("unknown props action " + action);
    }

    installSettingsKey();
    VideoSession* session = context.session();
    if (session == nullptr)
        return kExitNoDriver;
    AdapterHost& host = session->host();
    powerDown(host);
    powerUp(host);

    if (action == "list")
        return list(context, *session);
    if (action == "get") {
        const PropertyValue got = getProperty(host, *set, ULONG(*id));
        if (!NT_SUCCESS(got.status)) {
            std::fprintf(context.err(), "qmvideo: get %s %ld: %s\n", arguments[1].c_str(), long(*id),
                         statusText(got.status).c_str());
            return kExitFailed;
        }
        std::fprintf(context.out(), "%s %ld = %ld (flags %u, capabilities %u)\n", arguments[1].c_str(), long(*id),
                     long(got.value), got.flags, got.capabilities);
        return kExitOk;
    }
    int result = kExitOk;
    if (liveFrames != 0) {
        result = setLive(context, *session, *set, ULONG(*id), *value, liveFrames);
    } else {
        const NTSTATUS status = setProperty(host, *set, ULONG(*id), *value);
        std::fprintf(context.out(), "set %s %ld = %ld: %s\n", arguments[1].c_str(), long(*id), long(*value),
                     statusText(status).c_str());
        result = NT_SUCCESS(status) ? kExitOk : kExitFailed;
    }
    // Powered down, the driver saves its settings.
    powerDown(host);
    return result;
}

}  // namespace

const Command kPropsCommand = {
    "props",
    "  props list                    every device property: set, id, get/set, range, default, value\n"
    "  props get SET ID              one property (SET: procamp, control, camera, custom)\n"
    "  props set SET ID VALUE        change it; the camera is powered down at the end, which saves it\n"
    "      --live N                  run the capture pin N frames before and after the change and\n"
    "                                report the picture's level\n",
    runProps};

}  // namespace qm::qmvideo
