// The camera command protocol: command codes, framing constants and the
// progress events a long command reports.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qm::device {

inline constexpr std::uint8_t CMD_STATUS = 0x01;
inline constexpr std::uint8_t CMD_CAMERA_INFO = 0x02;
inline constexpr std::uint8_t CMD_SET_PARAMETER = 0x03;
inline constexpr std::uint8_t CMD_SET_SPEED = 0x04;
inline constexpr std::uint8_t CMD_PICTURE_INFO = 0x05;
inline constexpr std::uint8_t CMD_READ_THUMBNAIL = 0x06;
inline constexpr std::uint8_t CMD_READ_PICTURE = 0x07;
inline constexpr std::uint8_t CMD_WRITE_BLOCK = 0x08;
inline constexpr std::uint8_t CMD_ERASE = 0x09;
inline constexpr std::uint8_t CMD_CAPTURE = 0x0A;
inline constexpr std::uint8_t CMD_BEGIN_UPLOAD = 0x0B;

inline constexpr std::uint8_t kStartByte = 0x40;
inline constexpr std::uint8_t kReplyCodeOffset = 0x80;  // reply code = command code + 0x80
inline constexpr std::size_t kHeaderSize = 3;           // start byte and two length bytes
inline constexpr std::uint8_t kStatusDone = 1;          // first reply data byte of most commands

// Parameter ids of CMD_SET_PARAMETER.
inline constexpr std::uint8_t kParameterDateTime = 5;
inline constexpr std::size_t kParameterValueBytes = 6;

// Paged reads and uploads move 1024 data bytes per block.
inline constexpr std::size_t kBlockDataSize = 1024;
inline constexpr std::size_t kBlockReplyOverhead = 7;   // header, code, state, sequence, checksum
inline constexpr std::size_t kMaxBlockLength = kBlockDataSize + 4;
inline constexpr std::uint8_t kBlockStateLast = 2;      // the camera sent the last block
inline constexpr std::uint8_t kBlockStateRetry = 0xFF;  // asks the camera to send the block again
inline constexpr unsigned kMaxFailedBlocks = 5;
inline constexpr std::uint8_t kUploadMoreFollow = 1;
inline constexpr std::uint8_t kUploadLastBlock = 2;

// Progress events: (command code, event, value).
inline constexpr std::uint32_t kProgressBegin = 1;
inline constexpr std::uint32_t kProgressEnd = 2;    // also reported when an upload fails
inline constexpr std::uint32_t kProgressRange = 3;  // value: size of the object in bytes
inline constexpr std::uint32_t kProgressDone = 4;   // value: bytes done

}  // namespace qm::device
