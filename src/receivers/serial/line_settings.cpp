// Builds the termios block for the driver's line settings.
#include "receivers/serial/line_settings.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tavrel {

termios2 BuildTermios(const LineSettings& settings) {
    termios2 t;
    std::memset(&t, 0, sizeof t);

    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    // HUPCL drops DTR and RTS on the last close, as closing a port does elsewhere.
    t.c_cflag = BOTHER | (BOTHER << IBSHIFT) | CREAD | CLOCAL | HUPCL | kSizes[settings.dataBits];
    // One and a half stop bits exist only with 5 data bits, where a UART turns CSTOPB into them.
    if (settings.stopBits != sb1BITS) {
        t.c_cflag |= CSTOPB;
    }
    switch (settings.parity) {
        case ptNONE:
            break;
        case ptODD:
            t.c_cflag |= PARENB | PARODD;
            break;
        case ptEVEN:
            t.c_cflag |= PARENB;
            break;
        case ptMARK:
            t.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case ptSPACE:
            t.c_cflag |= PARENB | CMSPAR;
            break;
    }
    if (settings.hwHandshaking == hhRTSCTS) {
        t.c_cflag |= CRTSCTS;
    }
    if (settings.swHandshaking == shXONXOFF) {
        t.c_iflag |= IXON | IXOFF;
    }
    t.c_cc[VSTART] = 17;  // DC1
    t.c_cc[VSTOP] = 19;   // DC3
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    t.c_ispeed = BaudRateValue(settings.speed);
    t.c_ospeed = t.c_ispeed;
    return t;
}

int SilenceMilliseconds(const LineSettings& settings) {
    // In half bits, for the one and a half stop bits: start, data, parity, stop.
    static constexpr int kStopHalfBits[] = {2, 3, 4};
    const int halfBits = 2 * (1 + settings.dataBits + 5) + (settings.parity == ptNONE ? 0 : 2) +
                         kStopHalfBits[settings.stopBits];
    // Two characters take halfBits bit times; in microseconds, rounded to ms.
    const std::uint64_t micros = std::uint64_t{1000000} * static_cast<std::uint64_t>(halfBits) /
                                 BaudRateValue(settings.speed);
    return std::max(1, static_cast<int>((micros + 500) / 1000));
}

}  // namespace tavrel
