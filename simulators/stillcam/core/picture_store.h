// The pictures in the camera's memory, numbered from 1 in the order they were
// taken; erasing one closes up the numbers behind it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "simulators/stillcam/still_camera.h"

namespace qm::stillcam {

inline constexpr std::size_t kInfoSize = 64;
using InfoBlock = std::array<std::uint8_t, kInfoSize>;
// When a picture was stored, by the camera's calendar: year code, month,
// day, hour, minute, second. All 0: not known.
using TakenAt = std::array<std::uint8_t, 6>;

struct StoredPicture {
    std::vector<std::uint8_t> data;       // what CMD_READ_PICTURE delivers
    std::vector<std::uint8_t> thumbnail;  // what CMD_READ_THUMBNAIL delivers
    int width = 0;                        // of the JPEG data; 0 when it is none
    int height = 0;
    std::uint8_t resolutionCode = 0;
    std::uint16_t fileNumber = 0;         // given by the store, never reused
    std::uint8_t flashFired = 0;
    std::uint8_t quality = 1;
    bool uploaded = false;
    TakenAt takenAt{};                    // stamped by the store when it has a clock
    std::uint32_t key = 0;                // changes whenever the data does
    std::optional<ZoomWindow> zoom;       // the playback zoom's window, while zoomed
    bool protectedFromErase = false;      // the camera refuses to erase it
    std::map<std::size_t, std::uint8_t> infoOverrides;
};

class PictureStore {
public:
    std::size_t count() const { return pictures_.size(); }
    const StoredPicture* find(unsigned number) const;
    StoredPicture* find(unsigned number);
    // Numbers the picture and, when it brings no time of its own and the
    // store has a clock, stamps it with the clock's time.
    void add(StoredPicture picture);
    void setClock(std::function<TakenAt()> now) { clock_ = std::move(now); }
    bool erase(unsigned number);
    // Every picture that is not protected.
    void eraseAll();
    std::uint64_t usedBytes() const;
    const std::vector<StoredPicture>& all() const { return pictures_; }
    std::uint16_t nextFileNumber() const { return nextFileNumber_; }

private:
    std::vector<StoredPicture> pictures_;
    std::uint16_t nextFileNumber_ = 1;
    std::function<TakenAt()> clock_;
};

// The PictureInfo block of a stored picture:
//   0      1, a picture is stored under this number
//   1      1, it has a thumbnail
//   2..3   file number
//   4..7   size of the picture data
//   8      flash fired (0, 1)
//   9      quality (0 normal, 1 fine, 2 super fine)
//   10..11 memory blocks of 1 KB the picture takes
//   12..15 key: a hash of the picture data
//   16     1 when the picture came from the host
//   17     1 when protected from erasing
//   18..21 size of the thumbnail data
//   22     resolution code
//   23     1 when the camera holds the picture zoomed
//   24..31 the zoom window: x, y, width, height (16 bits each)
//   56..61 when it was stored: year code, month, day, hour, minute, second
InfoBlock pictureInfo(const StoredPicture& picture);

// FNV-1a, the picture key.
std::uint32_t pictureKey(const std::vector<std::uint8_t>& data);

}  // namespace qm::stillcam
