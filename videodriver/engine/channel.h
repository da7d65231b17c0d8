// The records of one open stream: its Channel (in the stream extension),
// the two isochronous transfers it keeps in flight, and the ReadRequest
// each queued read carries in its request extension.
#pragma once

#include "videodriver/engine/device_extension.h"
#include "videodriver/engine/stream_filters.h"

namespace qm::morvax {

// Signatures, as the bytes read in memory order: "NAHC", "NART", "SRBE".
inline constexpr ULONG kChannelSignature = 0x4348414E;
inline constexpr ULONG kIsoTransferSignature = 0x5452414E;
inline constexpr ULONG kReadRequestSignature = 0x45425253;

inline constexpr ULONG kIsoPacketsPerTransfer = 32;
inline constexpr ULONG kIsoTransferCount = 2;
// A 613-byte JPEG header written at the start of the raw buffer ends
// exactly where the scan data begin, over the 4-byte frame header.
inline constexpr ULONG kRawBufferReserve = 609;
// Milliseconds between the time-out checks of a prepared channel.
inline constexpr LONG kChannelTimeoutPeriodMs = 250;
// A processed transfer goes back to the bus this much later.
inline constexpr LONGLONG kResubmitDelay = -2 * 10000;  // 2 ms, relative

// Channel flags.
inline constexpr ULONG kStopRequested = 0x01;
inline constexpr ULONG kResetRequested = 0x04;
inline constexpr ULONG kTimeoutTimerArmed = 0x08;

struct Channel;

struct IsoTransfer {
    ULONG Signature;
    // IRPs in flight. Together with ResubmitArmed it says whether the
    // transfer is idle; both change under the channel's TransferLock.
    LONG PendingCount;
    BOOLEAN ResubmitArmed;
    ULONG DataPacketSize;   // the data pipe's packet size the buffer was made for
    PUCHAR TransferBuffer;  // 32 sync bytes, then 32 data packets
    PUCHAR UrbBlock;        // the sync URB, then the data URB
    PURB SyncUrb;
    PURB DataUrb;
    PIRP SyncIrp;           // null without a sync pipe
    PIRP DataIrp;
    DeviceExtension* Device;
    Channel* Owner;
    KTIMER ResubmitTimer;
    KDPC ResubmitDpc;
};

struct ReadRequest {
    ULONG Signature;
    LIST_ENTRY ListEntry;
    PHW_STREAM_REQUEST_BLOCK Srb;
    PUCHAR RawFrameBuffer;  // pool, RawFrameLength bytes
    PUCHAR RawDataPointer;  // RawFrameBuffer + kRawBufferReserve
    ULONG RawFrameLength;
    ULONG BytesReceived;
    // The camera's frame context (its size is given at registration)
    // follows the record.
};

inline PVOID frameContextOf(ReadRequest* read) { return read + 1; }
// Room for the frame in the raw buffer.
inline ULONG rawDataCapacity(const ReadRequest* read) { return read->RawFrameLength - kRawBufferReserve; }

struct Channel {
    ULONG Signature;
    DeviceExtension* Device;
    IsoTransfer Transfers[kIsoTransferCount];

    LIST_ENTRY PendingReads;
    KSPIN_LOCK ReadLock;    // the pending list and the current read
    ReadRequest* CurrentRead;
    // The next packet is the first since the stream started: the camera
    // begins a frame there, so a waiting read may take it from its start.
    BOOLEAN AtStreamStart;
    KSPIN_LOCK TransferLock;

    KEVENT ResetEvent;
    KEVENT StopEvent;
    ULONG RawFrameLength;
    KSEMAPHORE FrameSemaphore;  // one frame conversion at a time
    LONG SyncPipe;
    LONG DataPipe;
    HANDLE MasterClock;
    KS_FRAME_INFO FrameInfo;
    PKS_VIDEOINFOHEADER VideoInfoHeader;  // pool copy of the open format's
    KSSTATE StreamState;
    PCAM_PACKET_FILTER CamReceiveDataPacket;
    PCAM_PACKET_FILTER CamReceiveCtrlPacket;
    ULONG StreamNumber;
    ULONG StartFrame;
    BOOLEAN FirstFrame;
    LONGLONG StartTime;
    ULONGLONG FramesCaptured;
    LONG volatile Flags;
    BOOLEAN Streaming;
    BOOLEAN StreamError;
    BOOLEAN Prepared;
    BOOLEAN Closing;  // no new pipe resets
    KTIMER TimeoutTimer;
    KDPC TimeoutDpc;

    // Reads whose frame waits for conversion, oldest first: each work item
    // converts the oldest, so reads complete in the order of their frames.
    LIST_ENTRY ReadyReads;
    // Conversions queued or running; the channel must outlive them.
    LONG OutstandingWork;
    KEVENT WorkIdleEvent;
    PHW_STREAM_OBJECT StreamObject;
};

}  // namespace qm::morvax
