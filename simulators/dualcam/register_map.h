// Addresses of the camera controller's byte registers and the fields the
// camera itself acts on. The host reaches them with vendor control requests
// (request 0, value 0, index = first address), at most 64 bytes per request.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qm::dualcam::reg {

// Still-camera command interface.
inline constexpr std::uint16_t kCommandArgument = 0x040B;  // argument / result low byte
inline constexpr std::uint16_t kCommandCode = 0x040C;      // code byte / result high byte
inline constexpr std::uint16_t kMaster = 0x0410;           // execute, enable, run, ready
inline constexpr std::uint16_t kStillStart = 0x041B;       // still-download start byte

// 0410 bits.
inline constexpr std::uint8_t kMasterEnable = 0x01;     // bit 0: enable (latches the picture count)
inline constexpr std::uint8_t kMasterRun = 0x06;        // bits 1, 2: run
inline constexpr std::uint8_t kMasterExecute = 0x20;    // bit 5 alone: execute the command
inline constexpr std::uint8_t kMasterVideoMode = 0x38;  // bits 3-5 all set: video mode
inline constexpr std::uint8_t kMasterReady = 0x80;      // bit 7 (read): command interface ready

inline constexpr std::uint8_t kStillStartByte = 0xD6;     // 041B before a still download
inline constexpr std::uint8_t kStillDownloadStrobe = 0x26;  // 0410: execute + run in still mode

// Statistics (read only).
inline constexpr std::uint16_t kWhiteBalanceSums = 0x0800;  // R, G, B: 27-bit little-endian each
inline constexpr std::uint16_t kWhiteBalanceCount = 0x080C;  // pixels summed, 32-bit little-endian
inline constexpr std::uint16_t kOpticalBlackLevel = 0x0810;
inline constexpr std::uint16_t kLuminanceGrid = 0x0820;      // 8 x 8 cells, row by row
inline constexpr std::size_t kLuminanceCells = 64;
inline constexpr int kGridCellWidth = 80;  // output pixels per cell
inline constexpr int kGridCellHeight = 60;

// Sensor timing and black level.
inline constexpr std::uint16_t kFrameLines = 0x0991;         // 16-bit little-endian
inline constexpr std::uint16_t kOpticalBlackOffset = 0x0973;

// Compression command: one byte Q, or F8 28 + 32-bit target (4-byte units).
inline constexpr std::uint16_t kCompression = 0x0A00;
inline constexpr std::uint8_t kCompressionTargetTag0 = 0xF8;
inline constexpr std::uint8_t kCompressionTargetTag1 = 0x28;

// Serial bus to the front end / sensor.
inline constexpr std::uint16_t kSerialCommand = 0x0B00;
inline constexpr std::uint8_t kSerialModeI2c = 0xFB;
inline constexpr std::uint16_t kFrontEndData = 0x101D;     // gain and I2C payload
inline constexpr std::uint16_t kFrontEndSetup = 0x101F;    // one-time set-up words of some chips

// Picture controls.
inline constexpr std::uint16_t kFrameControl = 0x1000;     // bits 2-4 frame size code
inline constexpr std::uint16_t kSharpness = 0x1003;
inline constexpr std::uint16_t kRedGain = 0x100B;
inline constexpr std::uint16_t kBlueGain = 0x100C;
inline constexpr std::uint16_t kGreenGain = 0x100D;
inline constexpr std::uint16_t kYGain = 0x100E;            // bits 0-5
inline constexpr std::uint16_t kCbSaturation = 0x100F;
inline constexpr std::uint16_t kCrSaturation = 0x1010;
inline constexpr std::uint16_t kFrameRate = 0x1019;        // bits 3-5 frame-rate index
inline constexpr std::uint16_t kShutter = 0x101B;          // 16-bit little-endian
inline constexpr std::uint16_t kToneCurve = 0x1041;        // 17 points
inline constexpr std::size_t kToneCurvePoints = 17;
inline constexpr std::uint16_t kPictureTableWindow = 0x1052;
inline constexpr std::uint16_t kFlashMakerId = 0x1072;
inline constexpr std::uint16_t kFlashDeviceId = 0x1073;
inline constexpr std::uint16_t kAwbWindow = 0x1085;        // x start, x end, y start, y end

inline constexpr std::size_t kMaxRun = 64;  // bytes per vendor request

}  // namespace qm::dualcam::reg
