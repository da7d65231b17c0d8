// What the tests and their throwaway minidriver (test_minidriver.cpp) agree
// on: its format and property set, and the counters it exports.
#pragma once

#include <atomic>

#include "platform/streamclass/ks.h"

namespace qm::test::minidriver {

using namespace qm::streamclass;

inline constexpr GUID kSubFormat{0x51A3F1E0, 0x0B5C, 0x4F6E, {0x9D, 0x11, 0x2C, 0x44, 0x7A, 0x01, 0x33, 0x5E}};
inline constexpr GUID kPropertySet{0x51A3F1E1, 0x0B5C, 0x4F6E, {0x9D, 0x11, 0x2C, 0x44, 0x7A, 0x01, 0x33, 0x5E}};
inline constexpr GUID kPinName{0x51A3F1E2, 0x0B5C, 0x4F6E, {0x9D, 0x11, 0x2C, 0x44, 0x7A, 0x01, 0x33, 0x5E}};

// Device properties: a camera register (a ULONG), and one whose request the
// minidriver completes twice.
inline constexpr ULONG kRegisterProperty = 0;
inline constexpr ULONG kCompleteTwiceProperty = 1;
inline constexpr UCHAR kRegisterIndex = 0x10;
inline constexpr LONG kRegisterDefault = 7;

// One frame is the data of this many consecutive isochronous packets.
inline constexpr ULONG kPacketsPerFrame = 8;
// Reads time out after this many seconds (the handler reloads them).
inline constexpr ULONG kReadTimeoutSeconds = 2;

struct Stats {
    std::atomic<int> synchronized{0};  // set before DriverEntry: keep the stream class's lock
    std::atomic<int> timeouts{0};
    std::atomic<int> cancels{0};
    std::atomic<int> pageOuts{0};
    std::atomic<int> powerState{0};
    std::atomic<int> uninitialized{0};
    std::atomic<int> receiveIrql{-1};
    std::atomic<int> receiveRole{-1};
    std::atomic<int> extensionZeroed{-1};  // 1 when the device extension arrived all zero
};

inline constexpr const char* kStatsExport = "testMinidriverStats";
using StatsFunction = Stats* (*)();

inline KSDATAFORMAT format()
{
    KSDATAFORMAT format{};
    format.FormatSize = sizeof(KSDATAFORMAT);
    format.MajorFormat = kPropertySet;  // any GUID the minidriver recognises
    format.SubFormat = kSubFormat;
    format.Specifier = KSDATAFORMAT_SPECIFIER_NONE;
    return format;
}

}  // namespace qm::test::minidriver
