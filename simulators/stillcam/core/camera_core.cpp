#include "simulators/stillcam/core/camera_core.h"

#include <algorithm>
#include <limits>

#include "platform/system/byte_order.h"
#include "simulators/stillcam/core/camera_info.h"
#include "simulators/stillcam/core/model_traits.h"
#include "simulators/stillcam/core/picture_factory.h"
#include "simulators/stillcam/protocol/commands.h"

namespace qm::stillcam {
namespace {

constexpr std::size_t kLogLimit = 1024;
constexpr std::uint8_t kStatusIdle = 1;
constexpr std::uint8_t kStatusWorking = 2;
// CMD_BEGIN_UPLOAD: four fixed bytes, the size, 56 zero bytes.
constexpr std::uint8_t kUploadPreamble[4] = {1, 1, 0, 0x20};
constexpr std::size_t kUploadParameters = 4 + 4 + 56;

std::vector<std::uint8_t> statusBody(std::uint8_t code, bool ok)
{
    return {std::uint8_t(code | 0x80), std::uint8_t(ok ? 1 : 0)};
}

std::vector<std::uint8_t> infoBody(std::uint8_t code, std::uint8_t status, const InfoBlock& info)
{
    std::vector<std::uint8_t> body(2 + info.size());
    body[0] = std::uint8_t(code | 0x80);
    body[1] = status;
    std::copy(info.begin(), info.end(), body.begin() + 2);
    return body;
}

}  // namespace

CameraCore::CameraCore(const StillCameraConfig& config, std::vector<StoredPicture> pictures,
                       std::vector<FaultRule> faults)
    : model_(config.model),
      firmware_(config.firmware),
      memoryBytes_(config.memoryBytes),
      memoryMb_(config.memoryMb.value_or(std::uint8_t(std::min<std::uint32_t>(255, config.memoryBytes >> 20)))),
      captureResolution_(config.resolutionCode.value_or(defaultResolutionCode(config.model))),
      workTimes_(config.workTimes.value_or(config.pacing ? realWorkTimes() : WorkTimes{})),
      clock_(config.clock ? config.clock : steadyClock()),
      settings_(config.settings),
      calendar_(*clock_, config.dateTime.value_or(localDateTime())),
      rate_(config.serialRate),
      countExtension_(config.countExtension)
{
    // The camera notes in every picture when it stored it.
    store_.setClock([this] { return encodeDateTime(model_, calendar_.now()); });
    for (StoredPicture& picture : pictures)
        store_.add(std::move(picture));
    for (const FaultRule& rule : faults)
        faults_.add(rule);
}

Answer CameraCore::handle(const Request& request)
{
    CommandRecord record;
    record.request = request.bytes;
    std::string description;
    Answer answer;
    StillCamera::CommandListener listener;
    {
        std::lock_guard lock(mutex_);
        settle();
        const CommandShape* shape = findCommand(request.code());
        const bool framed = request.bytes.size() >= kHeaderSize + 2 && request.bytes[0] == kStartByte &&
                            sys::readBe16(&request.bytes[1]) + kHeaderSize == request.bytes.size();
        const std::size_t length = framed ? request.bytes.size() - kHeaderSize : 0;
        record.wellFormed = framed && request.checksumGood && shape != nullptr && length >= shape->minLength &&
                            length <= shape->maxLength;
        record.code = record.wellFormed ? request.code() : 0;
        description = record.wellFormed ? describeRequest(request) : "request ignored";
        Outcome outcome;
        if (!record.wellFormed)
            outcome.note = !framed                ? "not a request"
                           : !request.checksumGood ? "bad checksum"
                           : shape == nullptr       ? "unknown command"
                                                   : "bad length";
        else if (silent_)
            outcome.note = "silent";
        else
            outcome = process(request);
        record.block = outcome.block;

        if (outcome.body) {
            std::vector<std::uint8_t> packet = frameReply(*outcome.body);
            answer.delayMs = outcome.delayMs;
            answer.rateAfter = outcome.rateAfter;
            if (auto fault = faults_.strike(record.code, outcome.block)) {
                record.fault = fault->kind;
                outcome.note += (outcome.note.empty() ? "" : ", ") + std::string(faultKindName(fault->kind));
                switch (fault->kind) {
                case FaultKind::NoReply:
                    packet.clear();
                    break;
                case FaultKind::Stall:
                    answer.delayMs += fault->durationMs;
                    break;
                case FaultKind::GoSilent:
                    silent_ = true;
                    packet.clear();
                    break;
                case FaultKind::Unplug:
                    answer.unplug = true;
                    packet.clear();
                    break;
                case FaultKind::EndpointStall:
                    answer.endpointStall = true;
                    packet.clear();
                    break;
                default:
                    packet = damageReply(*fault, std::move(packet));
                    break;
                }
            }
            answer.bytes = std::move(packet);
        }
        if (answer.bytes.empty() && !answer.unplug)
            outcome.note += outcome.note.empty() ? "no reply" : ", no reply";
        if (!outcome.note.empty())
            description += " (" + outcome.note + ")";
        record.reply = answer.bytes;
        log(record);
        listener = listener_;
    }
    if (listener)
        listener(record, description);
    return answer;
}

CameraCore::Outcome CameraCore::process(const Request& request)
{
    const std::uint8_t code = request.code();
    const auto p = request.parameters();
    if (busyNow() && code != CMD_STATUS && code != CMD_CAMERA_INFO) {
        Outcome out = refused(code, p);
        out.note = "busy";
        return out;
    }
    switch (code) {
    case CMD_STATUS:
        return status();
    case CMD_CAMERA_INFO:
        return cameraInfoReply();
    case CMD_SET_PARAMETER:
        return setParameter(p);
    case CMD_SET_SPEED:
        return setSpeed(p);
    case CMD_PICTURE_INFO:
        return pictureInfoReply(p);
    case CMD_READ_THUMBNAIL:
    case CMD_READ_PICTURE:
        return pagedRead(code, p);
    case CMD_WRITE_BLOCK:
        return writeBlock(p);
    case CMD_ERASE:
        return erase(p);
    case CMD_CAPTURE:
        return capture();
    case CMD_BEGIN_UPLOAD:
        return beginUpload(p);
    default:
        return {};
    }
}

// What a busy camera answers: "not done" where the command has a status byte,
// nothing to a paged read.
CameraCore::Outcome CameraCore::refused(std::uint8_t code, std::span<const std::uint8_t> p) const
{
    Outcome out;
    if (code == CMD_READ_PICTURE || code == CMD_READ_THUMBNAIL)
        return out;
    if (code == CMD_PICTURE_INFO)
        out.body = infoBody(code, 0, InfoBlock{});
    else if (code == CMD_WRITE_BLOCK)
        out.body = {0x88, 0, p.empty() ? std::uint8_t(0) : p[0]};
    else
        out.body = statusBody(code, false);
    return out;
}

CameraCore::Outcome CameraCore::status() const
{
    Outcome out;
    out.body = {0x81, forcedStatus_.value_or(busyNow() ? kStatusWorking : kStatusIdle)};
    return out;
}

CameraCore::Outcome CameraCore::cameraInfoReply() const
{
    Outcome out;
    out.body = infoBody(CMD_CAMERA_INFO, 1, cameraInfoNow());
    return out;
}

CameraCore::Outcome CameraCore::setParameter(std::span<const std::uint8_t> p)
{
    bool ok = false;
    if (p[0] == kParameterDateTime) {
        CameraDateTime value{decodeYear(model_, p[1]), p[2], p[3], p[4], p[5], p[6]};
        ok = isValidDateTime(value);
        if (ok)
            calendar_.set(value);
    } else {
        ok = applySetting(settings_, p[0], p[1]);
    }
    Outcome out;
    out.body = statusBody(CMD_SET_PARAMETER, ok);
    return out;
}

CameraCore::Outcome CameraCore::setSpeed(std::span<const std::uint8_t> p)
{
    Outcome out;
    const bool ok = p[0] < SPEED_TABLE.size();
    out.body = statusBody(CMD_SET_SPEED, ok);
    if (ok)
        out.rateAfter = SPEED_TABLE[p[0]];
    return out;
}

CameraCore::Outcome CameraCore::pictureInfoReply(std::span<const std::uint8_t> p) const
{
    Outcome out;
    if (const StoredPicture* picture = store_.find(sys::readLe16(p.data())))
        out.body = infoBody(CMD_PICTURE_INFO, 1, pictureInfo(*picture));
    else
        out.body = infoBody(CMD_PICTURE_INFO, 0, InfoBlock{});
    return out;
}

// The first request names the picture (the long form; the short form with
// state 0 asks for the newest picture), later ones carry the host's state
// and the sequence byte of the last block it took; state 2 closes the read.
CameraCore::Outcome CameraCore::pagedRead(std::uint8_t code, std::span<const std::uint8_t> p)
{
    Outcome out;
    const bool longForm = p.size() == 3;
    const std::uint8_t state = p[0];
    if (longForm || state == 0) {
        const unsigned number = longForm ? sys::readLe16(&p[1]) : unsigned(store_.count());
        const StoredPicture* picture = store_.find(number);
        if (picture == nullptr) {
            out.note = "no such picture";
            return out;
        }
        read_.start(code, code == CMD_READ_PICTURE ? picture->data : picture->thumbnail);
        out.body = read_.blockBody(1);
        out.block = 1;
        out.note = std::to_string(read_.objectSize()) + " bytes in " + std::to_string(read_.blockCount()) + " blocks";
        return out;
    }
    if (!read_.active() || read_.code() != code) {
        out.note = "no read open";
        return out;
    }
    if (state == kStateLast) {
        read_.close();
        out.note = "read closed";
        return out;
    }
    const unsigned previous = read_.current();
    const unsigned k = read_.blockAfter(p[1]);
    if (k == 0) {
        out.note = "out of sequence";
        return out;
    }
    out.body = read_.blockBody(k);
    out.block = k;
    out.note = "block " + std::to_string(k) + " of " + std::to_string(read_.blockCount()) +
               (k == previous ? ", again" : "");
    return out;
}

CameraCore::Outcome CameraCore::writeBlock(std::span<const std::uint8_t> p)
{
    Outcome out;
    out.block = upload_.nextOrdinal();
    const auto result = upload_.write(p[0], p[1], p.subspan(2));
    if (result == UploadReceiver::Result::Completed) {
        if (auto picture = uploadedPicture(model_, upload_.take())) {
            store_.add(std::move(*picture));
            out.delayMs = workTimes_.storeUploadMs;
            out.note = "stored as picture " + std::to_string(store_.count());
        } else {
            out.note = "not a 640 x 480 JPEG, dropped";
            out.body = std::vector<std::uint8_t>{0x88, 0, p[0]};
            return out;
        }
    } else if (result == UploadReceiver::Result::Refused) {
        out.note = "refused";
    }
    out.body = std::vector<std::uint8_t>{0x88, std::uint8_t(result == UploadReceiver::Result::Refused ? 0 : 1), p[0]};
    return out;
}

CameraCore::Outcome CameraCore::erase(std::span<const std::uint8_t> p)
{
    const unsigned number = sys::readLe16(p.data());
    const StoredPicture* picture = store_.find(number);
    const bool ok = number == 0 || (picture != nullptr && !picture->protectedFromErase);
    if (ok && number == 0)
        startWork(WorkKind::EraseAll, workTimes_.eraseAllMs);
    else if (ok)
        startWork(WorkKind::EraseOne, workTimes_.eraseOneMs, number);
    Outcome out;
    out.body = statusBody(CMD_ERASE, ok);
    return out;
}

CameraCore::Outcome CameraCore::capture()
{
    const bool ok = picturesFree() > 0;
    if (ok)
        startWork(WorkKind::Capture, workTimes_.captureMs + (settings_.selfTimer != 0 ? workTimes_.selfTimerMs : 0));
    Outcome out;
    out.body = statusBody(CMD_CAPTURE, ok);
    if (!ok)
        out.note = "memory full";
    return out;
}

CameraCore::Outcome CameraCore::beginUpload(std::span<const std::uint8_t> p)
{
    Outcome out;
    bool ok = model_ == 16 && p.size() == kUploadParameters && std::equal(p.begin(), p.begin() + 4, kUploadPreamble) &&
              std::all_of(p.begin() + 8, p.end(), [](std::uint8_t b) { return b == 0; });
    const std::uint32_t size = ok ? sys::readLe32(&p[4]) : 0;
    ok = ok && size > 0 && size <= freeBytes();
    if (ok)
        upload_.begin(size);
    else
        out.note = model_ == 16 ? "refused" : "this model takes no uploads";
    out.body = statusBody(CMD_BEGIN_UPLOAD, ok);
    return out;
}

void CameraCore::startWork(WorkKind kind, std::uint32_t durationMs, unsigned number)
{
    work_ = kind;
    workNumber_ = number;
    workDoneAtMs_ = clock_->nowMs() + durationMs;
    settle();
}

void CameraCore::settle() const
{
    if (work_ == WorkKind::None || clock_->nowMs() < workDoneAtMs_)
        return;
    switch (work_) {
    case WorkKind::Capture: {
        const unsigned seed = unsigned(store_.nextFileNumber());
        StoredPicture picture = generatedPicture(model_, captureResolution_, seed);
        picture.quality = settings_.quality;
        picture.flashFired = settings_.flashMode == 1 ? 1 : settings_.flashMode == 2 ? 0 : picture.flashFired;
        store_.add(std::move(picture));
        break;
    }
    case WorkKind::EraseOne:
        store_.erase(workNumber_);
        break;
    case WorkKind::EraseAll:
        store_.eraseAll();
        break;
    case WorkKind::None:
        break;
    }
    work_ = WorkKind::None;
}

bool CameraCore::busyNow() const { return work_ != WorkKind::None; }

std::uint64_t CameraCore::freeBytes() const
{
    const std::uint64_t used = store_.usedBytes();
    return used < memoryBytes_ ? memoryBytes_ - used : 0;
}

std::uint16_t CameraCore::picturesFree() const
{
    return std::uint16_t(std::min<std::uint64_t>(0xFFFF, freeBytes() / typicalPictureBytes(model_)));
}

InfoBlock CameraCore::cameraInfoNow() const
{
    CameraInfoFacts facts;
    facts.ready = !busyNow() && forcedStatus_.value_or(kStatusIdle) == kStatusIdle;
    facts.model = model_;
    facts.memoryMb = memoryMb_;
    facts.memoryBytes = memoryBytes_;
    facts.firmware = firmware_;
    facts.settings = settings_;
    facts.picturesStored = std::uint16_t(store_.count());
    facts.picturesFree = picturesFree();
    facts.dateTime = calendar_.now();
    facts.speedIndex = std::uint8_t(std::max(0, speedIndexOf(rate_)));
    facts.countExtension = countExtension_;
    return buildCameraInfo(facts, infoOverrides_);
}

void CameraCore::log(CommandRecord record)
{
    if (log_.size() == kLogLimit)
        log_.pop_front();
    log_.push_back(std::move(record));
}

// Inspection and control from outside.

std::size_t CameraCore::pictureCount() const
{
    std::lock_guard lock(mutex_);
    settle();
    return store_.count();
}

std::vector<PictureSummary> CameraCore::pictures() const
{
    std::lock_guard lock(mutex_);
    settle();
    std::vector<PictureSummary> out;
    unsigned number = 1;
    for (const StoredPicture& p : store_.all())
        out.push_back({number++, std::uint32_t(p.data.size()), std::uint32_t(p.thumbnail.size()), p.width, p.height,
                       p.resolutionCode, p.key, p.uploaded, p.zoom});
    return out;
}

std::vector<std::uint8_t> CameraCore::pictureData(unsigned number) const
{
    std::lock_guard lock(mutex_);
    settle();
    const StoredPicture* p = store_.find(number);
    return p != nullptr ? p->data : std::vector<std::uint8_t>{};
}

std::vector<std::uint8_t> CameraCore::thumbnailData(unsigned number) const
{
    std::lock_guard lock(mutex_);
    settle();
    const StoredPicture* p = store_.find(number);
    return p != nullptr ? p->thumbnail : std::vector<std::uint8_t>{};
}

InfoBlock CameraCore::cameraInfo() const
{
    std::lock_guard lock(mutex_);
    settle();
    return cameraInfoNow();
}

std::optional<InfoBlock> CameraCore::pictureInfoOf(unsigned number) const
{
    std::lock_guard lock(mutex_);
    settle();
    const StoredPicture* p = store_.find(number);
    if (p == nullptr)
        return std::nullopt;
    return pictureInfo(*p);
}

CameraSettings CameraCore::settings() const
{
    std::lock_guard lock(mutex_);
    return settings_;
}

CameraDateTime CameraCore::dateTime() const
{
    std::lock_guard lock(mutex_);
    return calendar_.now();
}

std::uint32_t CameraCore::serialRate() const
{
    std::lock_guard lock(mutex_);
    return rate_;
}

bool CameraCore::busy() const
{
    std::lock_guard lock(mutex_);
    settle();
    return busyNow();
}

std::optional<CommandRecord> CameraCore::lastCommand() const
{
    std::lock_guard lock(mutex_);
    if (log_.empty())
        return std::nullopt;
    return log_.back();
}

std::vector<CommandRecord> CameraCore::commandLog() const
{
    std::lock_guard lock(mutex_);
    return {log_.begin(), log_.end()};
}

void CameraCore::clearCommandLog()
{
    std::lock_guard lock(mutex_);
    log_.clear();
}

void CameraCore::addPicture(StoredPicture picture)
{
    std::lock_guard lock(mutex_);
    store_.add(std::move(picture));
}

bool CameraCore::zoomPicture(unsigned number, const ZoomWindow& window)
{
    std::lock_guard lock(mutex_);
    settle();
    StoredPicture* picture = store_.find(number);
    return picture != nullptr && zoomStoredPicture(model_, *picture, window);
}

bool CameraCore::protectPicture(unsigned number, bool on)
{
    std::lock_guard lock(mutex_);
    settle();
    StoredPicture* picture = store_.find(number);
    if (picture == nullptr)
        return false;
    picture->protectedFromErase = on;
    return true;
}

void CameraCore::setSettings(const CameraSettings& settings)
{
    std::lock_guard lock(mutex_);
    settings_ = settings;
}

void CameraCore::setDateTime(const CameraDateTime& value)
{
    std::lock_guard lock(mutex_);
    calendar_.set(value);
}

bool CameraCore::setSerialRate(std::uint32_t rate)
{
    if (speedIndexOf(rate) < 0)
        return false;
    std::lock_guard lock(mutex_);
    rate_ = rate;
    return true;
}

void CameraCore::setCountExtension(std::uint32_t value)
{
    std::lock_guard lock(mutex_);
    countExtension_ = value;
}

void CameraCore::forceStatus(std::optional<std::uint8_t> status)
{
    std::lock_guard lock(mutex_);
    forcedStatus_ = status;
}

void CameraCore::overrideCameraInfoByte(std::size_t offset, std::uint8_t value)
{
    std::lock_guard lock(mutex_);
    if (offset < kInfoSize)
        infoOverrides_[offset] = value;
}

bool CameraCore::overridePictureInfoByte(unsigned number, std::size_t offset, std::uint8_t value)
{
    std::lock_guard lock(mutex_);
    StoredPicture* p = store_.find(number);
    if (p == nullptr || offset >= kInfoSize)
        return false;
    p->infoOverrides[offset] = value;
    return true;
}

void CameraCore::clearOverrides()
{
    std::lock_guard lock(mutex_);
    infoOverrides_.clear();
    for (unsigned n = 1; n <= store_.count(); ++n)
        store_.find(n)->infoOverrides.clear();
}

void CameraCore::injectFault(const FaultRule& rule)
{
    std::lock_guard lock(mutex_);
    faults_.add(rule);
}

void CameraCore::clearFaults()
{
    std::lock_guard lock(mutex_);
    faults_.clear();
}

std::size_t CameraCore::pendingFaults() const
{
    std::lock_guard lock(mutex_);
    return faults_.pending();
}

void CameraCore::resume()
{
    std::lock_guard lock(mutex_);
    silent_ = false;
}

bool CameraCore::silent() const
{
    std::lock_guard lock(mutex_);
    return silent_;
}

void CameraCore::setCommandListener(StillCamera::CommandListener listener)
{
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

void CameraCore::announce(const std::string& text)
{
    StillCamera::CommandListener listener;
    {
        std::lock_guard lock(mutex_);
        listener = listener_;
    }
    if (listener)
        listener(CommandRecord{}, text);
}

}  // namespace qm::stillcam
