// Builds the termios block for the driver's line settings.
#include "serial/line_settings.h"

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

}  // namespace tavrel
