#include "simulators/stillcam/core/picture_store.h"

#include <algorithm>

#include "platform/system/byte_order.h"

namespace qm::stillcam {
namespace {

constexpr std::size_t kTakenAtOffset = 56;

}  // namespace

const StoredPicture* PictureStore::find(unsigned number) const
{
    return number >= 1 && number <= pictures_.size() ? &pictures_[number - 1] : nullptr;
}

StoredPicture* PictureStore::find(unsigned number)
{
    return number >= 1 && number <= pictures_.size() ? &pictures_[number - 1] : nullptr;
}

void PictureStore::add(StoredPicture picture)
{
    picture.fileNumber = nextFileNumber_++;
    if (clock_ && picture.takenAt == TakenAt{})
        picture.takenAt = clock_();
    if (nextFileNumber_ == 0)
        nextFileNumber_ = 1;
    pictures_.push_back(std::move(picture));
}

bool PictureStore::erase(unsigned number)
{
    if (find(number) == nullptr)
        return false;
    pictures_.erase(pictures_.begin() + long(number - 1));
    return true;
}

void PictureStore::eraseAll()
{
    std::erase_if(pictures_, [](const StoredPicture& picture) { return !picture.protectedFromErase; });
}

std::uint64_t PictureStore::usedBytes() const
{
    std::uint64_t used = 0;
    for (const StoredPicture& p : pictures_)
        used += p.data.size() + p.thumbnail.size();
    return used;
}

InfoBlock pictureInfo(const StoredPicture& picture)
{
    InfoBlock info{};
    info[0] = 1;
    info[1] = 1;
    sys::writeLe16(&info[2], picture.fileNumber);
    sys::writeLe32(&info[4], std::uint32_t(picture.data.size()));
    info[8] = picture.flashFired;
    info[9] = picture.quality;
    sys::writeLe16(&info[10], std::uint16_t((picture.data.size() + 1023) / 1024));
    sys::writeLe32(&info[12], picture.key);
    info[16] = picture.uploaded ? 1 : 0;
    info[17] = picture.protectedFromErase ? 1 : 0;
    sys::writeLe32(&info[18], std::uint32_t(picture.thumbnail.size()));
    info[22] = picture.resolutionCode;
    std::copy(picture.takenAt.begin(), picture.takenAt.end(), info.begin() + kTakenAtOffset);
    if (picture.zoom) {
        info[23] = 1;
        sys::writeLe16(&info[24], std::uint16_t(picture.zoom->x));
        sys::writeLe16(&info[26], std::uint16_t(picture.zoom->y));
        sys::writeLe16(&info[28], std::uint16_t(picture.zoom->width));
        sys::writeLe16(&info[30], std::uint16_t(picture.zoom->height));
    }
    for (const auto& [offset, value] : picture.infoOverrides)
        if (offset < info.size())
            info[offset] = value;
    return info;
}

std::uint32_t pictureKey(const std::vector<std::uint8_t>& data)
{
    std::uint32_t hash = 2166136261u;
    for (std::uint8_t b : data) {
        hash ^= b;
        hash *= 16777619u;
    }
    return hash;
}

}  // namespace qm::stillcam
