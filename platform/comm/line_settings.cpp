#include "platform/comm/line_settings.h"

#include <array>
#include <utility>

namespace qm::comm {
namespace {

constexpr std::array<std::pair<DWORD, speed_t>, 18> kSpeeds{{
    {50, B50},     {75, B75},       {110, B110},     {134, B134},     {150, B150},     {200, B200},
    {300, B300},   {600, B600},     {1200, B1200},   {1800, B1800},   {2400, B2400},   {4800, B4800},
    {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
}};

}  // namespace

std::optional<speed_t> speedConstant(DWORD baudRate)
{
    for (const auto& [rate, constant] : kSpeeds) {
        if (rate == baudRate)
            return constant;
    }
    return std::nullopt;
}

std::optional<DWORD> baudRateOf(speed_t speed)
{
    for (const auto& [rate, constant] : kSpeeds) {
        if (constant == speed)
            return rate;
    }
    return std::nullopt;
}

bool dcbToTermios(const DCB& dcb, termios& tio)
{
    const auto speed = speedConstant(dcb.BaudRate);
    if (!speed || dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > SPACEPARITY || dcb.StopBits > TWOSTOPBITS)
        return false;

    cfmakeraw(&tio);
    tio.c_cflag |= CREAD | CLOCAL;
    tio.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | CMSPAR);
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= kSizes[dcb.ByteSize - 5];
    switch (dcb.Parity) {
    case ODDPARITY: tio.c_cflag |= PARENB | PARODD; break;
    case EVENPARITY: tio.c_cflag |= PARENB; break;
    case MARKPARITY: tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case SPACEPARITY: tio.c_cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    if (dcb.StopBits != ONESTOPBIT)
        tio.c_cflag |= CSTOPB;
    if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE)
        tio.c_cflag |= CRTSCTS;

    tio.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY | INPCK);
    if (dcb.fParity)
        tio.c_iflag |= INPCK;
    if (dcb.fOutX)
        tio.c_iflag |= IXON;
    if (dcb.fInX)
        tio.c_iflag |= IXOFF;
    tio.c_cc[VSTART] = cc_t(dcb.XonChar);
    tio.c_cc[VSTOP] = cc_t(dcb.XoffChar);
    // Reads are timed with poll() on a non-blocking descriptor: the terminal
    // must answer "nothing yet" (EAGAIN), which VMIN 0 would turn into an
    // end-of-file.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, *speed);
    cfsetospeed(&tio, *speed);
    return true;
}

DCB dcbFromTermios(const termios& tio)
{
    DCB dcb;
    dcb.BaudRate = baudRateOf(cfgetospeed(&tio)).value_or(0);
    switch (tio.c_cflag & CSIZE) {
    case CS5: dcb.ByteSize = 5; break;
    case CS6: dcb.ByteSize = 6; break;
    case CS7: dcb.ByteSize = 7; break;
    default: dcb.ByteSize = 8; break;
    }
    if (tio.c_cflag & PARENB) {
        const bool odd = tio.c_cflag & PARODD;
        if (tio.c_cflag & CMSPAR)
            dcb.Parity = odd ? MARKPARITY : SPACEPARITY;
        else
            dcb.Parity = odd ? ODDPARITY : EVENPARITY;
    }
    dcb.StopBits = (tio.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
    dcb.fParity = (tio.c_iflag & INPCK) ? 1 : 0;
    dcb.fOutxCtsFlow = (tio.c_cflag & CRTSCTS) ? 1 : 0;
    dcb.fRtsControl = (tio.c_cflag & CRTSCTS) ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    dcb.fOutX = (tio.c_iflag & IXON) ? 1 : 0;
    dcb.fInX = (tio.c_iflag & IXOFF) ? 1 : 0;
    dcb.XonChar = char(tio.c_cc[VSTART]);
    dcb.XoffChar = char(tio.c_cc[VSTOP]);
    return dcb;
}

}  // namespace qm::comm
