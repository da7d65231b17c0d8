// Faults the camera can be told to show. Each injection arms a count:
//   PacketError     the next n packets carrying frame data arrive with an error status
//   DroppedPacket   the next n such packets are lost on the wire (nothing arrives)
//   ShortPacket     the next n such packets lose the second half of their bytes
//   MissingTrailer  the next n frames end without their 2-byte trailer
//   WrongCount      the next n frames carry a trailer count one too high
//   StalledDataPipe the data pipe stalls until the host resets it (n ignored)
//   StalledSyncPipe the sync pipe stalls until the host resets it (n ignored)
//   CommandNeverReady the next n commands never report ready (until 0410 bit 0 is set)
//   BlankTableWindow  the next n picture-table loads read back as zeros
//   Unplug          after n more frames the camera stops answering, as a pulled cable
#pragma once

#include <cstdint>

namespace qm::dualcam {

enum class Fault : std::uint8_t {
    PacketError,
    DroppedPacket,
    ShortPacket,
    MissingTrailer,
    WrongCount,
    StalledDataPipe,
    StalledSyncPipe,
    CommandNeverReady,
    BlankTableWindow,
    Unplug,
};

inline constexpr std::size_t kFaultKinds = std::size_t(Fault::Unplug) + 1;

}  // namespace qm::dualcam
