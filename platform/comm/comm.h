// Serial ports COM1..COM4 with the host platform's communications semantics:
// exclusive open, line settings through a DCB, COMMTIMEOUTS read and write
// time-outs, queue sizes, purge, read, write and close. Ports are terminals
// (termios); "COMn" resolves through W/dosdevices/comN when that entry exists
// (a simulator links it to its pseudo-terminal), else /dev/ttyS(n-1).
#pragma once

#include <cstdint>

#include "platform/system/last_error.h"

namespace qm::comm {

using sys::DWORD;
using WORD = std::uint16_t;
using BYTE = std::uint8_t;
using HANDLE = void*;

inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~std::uintptr_t(0));

inline constexpr DWORD MAXDWORD = 0xFFFFFFFF;

// CreateFile access, sharing, disposition.
inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD OPEN_EXISTING = 3;

// Error codes beyond the system layer's common ones.
inline constexpr DWORD ERROR_GEN_FAILURE = 31;
inline constexpr DWORD ERROR_SHARING_VIOLATION = 32;

// DCB values.
inline constexpr BYTE NOPARITY = 0;
inline constexpr BYTE ODDPARITY = 1;
inline constexpr BYTE EVENPARITY = 2;
inline constexpr BYTE MARKPARITY = 3;
inline constexpr BYTE SPACEPARITY = 4;
inline constexpr BYTE ONESTOPBIT = 0;
inline constexpr BYTE ONE5STOPBITS = 1;
inline constexpr BYTE TWOSTOPBITS = 2;
inline constexpr DWORD DTR_CONTROL_DISABLE = 0;
inline constexpr DWORD DTR_CONTROL_ENABLE = 1;
inline constexpr DWORD DTR_CONTROL_HANDSHAKE = 2;
inline constexpr DWORD RTS_CONTROL_DISABLE = 0;
inline constexpr DWORD RTS_CONTROL_ENABLE = 1;
inline constexpr DWORD RTS_CONTROL_HANDSHAKE = 2;
inline constexpr DWORD RTS_CONTROL_TOGGLE = 3;

inline constexpr DWORD CBR_9600 = 9600;
inline constexpr DWORD CBR_19200 = 19200;
inline constexpr DWORD CBR_38400 = 38400;
inline constexpr DWORD CBR_57600 = 57600;
inline constexpr DWORD CBR_115200 = 115200;

// PurgeComm actions.
inline constexpr DWORD PURGE_TXABORT = 0x0001;
inline constexpr DWORD PURGE_RXABORT = 0x0002;
inline constexpr DWORD PURGE_TXCLEAR = 0x0004;
inline constexpr DWORD PURGE_RXCLEAR = 0x0008;

struct DCB {
    DWORD DCBlength = sizeof(DCB);
    DWORD BaudRate = 0;
    DWORD fBinary : 1 = 1;
    DWORD fParity : 1 = 0;
    DWORD fOutxCtsFlow : 1 = 0;
    DWORD fOutxDsrFlow : 1 = 0;
    DWORD fDtrControl : 2 = DTR_CONTROL_ENABLE;
    DWORD fDsrSensitivity : 1 = 0;
    DWORD fTXContinueOnXoff : 1 = 0;
    DWORD fOutX : 1 = 0;
    DWORD fInX : 1 = 0;
    DWORD fErrorChar : 1 = 0;
    DWORD fNull : 1 = 0;
    DWORD fRtsControl : 2 = RTS_CONTROL_ENABLE;
    DWORD fAbortOnError : 1 = 0;
    DWORD fDummy2 : 17 = 0;
    WORD wReserved = 0;
    WORD XonLim = 0;
    WORD XoffLim = 0;
    BYTE ByteSize = 8;
    BYTE Parity = NOPARITY;
    BYTE StopBits = ONESTOPBIT;
    char XonChar = 0x11;
    char XoffChar = 0x13;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
    WORD wReserved1 = 0;
};

// Read time-outs: the interval bounds the gap between two bytes once the
// first has arrived; the total is multiplier x bytes asked + constant. An
// interval of MAXDWORD with both totals 0 returns at once with what is there;
// with totals below MAXDWORD it returns at once when anything is there and
// otherwise waits for the whole count up to the total; with the multiplier
// MAXDWORD it returns as soon as one byte has arrived. All zero: no limit.
struct COMMTIMEOUTS {
    DWORD ReadIntervalTimeout = 0;
    DWORD ReadTotalTimeoutMultiplier = 0;
    DWORD ReadTotalTimeoutConstant = 0;
    DWORD WriteTotalTimeoutMultiplier = 0;
    DWORD WriteTotalTimeoutConstant = 0;
};

// The part of the port's properties that callers use.
struct COMMPROP {
    DWORD dwMaxTxQueue = 0;
    DWORD dwMaxRxQueue = 0;
    DWORD dwMaxBaud = 0;
    DWORD dwCurrentTxQueue = 0;
    DWORD dwCurrentRxQueue = 0;
};

// Opens "COMn", "COMn:" or "\\.\COMn" (any case). Ports are never shared: a
// port already open (here or in another process) fails with
// ERROR_ACCESS_DENIED. Only OPEN_EXISTING is meaningful for a port.
HANDLE CreateFile(const char* name, DWORD desiredAccess, DWORD shareMode, void* securityAttributes,
                  DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
bool CloseHandle(HANDLE port);

bool GetCommState(HANDLE port, DCB* dcb);
bool SetCommState(HANDLE port, const DCB* dcb);
bool GetCommTimeouts(HANDLE port, COMMTIMEOUTS* timeouts);
bool SetCommTimeouts(HANDLE port, const COMMTIMEOUTS* timeouts);
bool SetupComm(HANDLE port, DWORD inQueue, DWORD outQueue);
bool GetCommProperties(HANDLE port, COMMPROP* properties);
// Clears the queues the flags name. There is no overlapped I/O, so the abort
// flags find nothing pending.
bool PurgeComm(HANDLE port, DWORD flags);

// Blocking reads and writes bounded by the port's time-outs. A read that
// times out succeeds with the bytes that arrived. `overlapped` must be null.
bool ReadFile(HANDLE port, void* buffer, DWORD toRead, DWORD* read, void* overlapped);
bool WriteFile(HANDLE port, const void* buffer, DWORD toWrite, DWORD* written, void* overlapped);

}  // namespace qm::comm
