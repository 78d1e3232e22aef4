// The termios block built for the line settings that a pseudo-terminal would
// not keep: data bits, stop bits and the five parities.
#include "receivers/serial/line_settings.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

constexpr tcflag_t kParityBits = PARENB | PARODD | CMSPAR;

tcflag_t ParityOf(TComPortParity parity) {
    LineSettings settings;
    settings.parity = parity;
    return BuildTermios(settings).c_cflag & kParityBits;
}

TEST(BuildTermios, FiveParities) {
    EXPECT_EQ(ParityOf(ptNONE), 0U);
    EXPECT_EQ(ParityOf(ptODD), PARENB | PARODD);
    EXPECT_EQ(ParityOf(ptEVEN), PARENB);
    EXPECT_EQ(ParityOf(ptMARK), PARENB | CMSPAR | PARODD);
    EXPECT_EQ(ParityOf(ptSPACE), PARENB | CMSPAR);
}

TEST(BuildTermios, DataAndStopBits) {
    LineSettings settings;
    EXPECT_EQ(BuildTermios(settings).c_cflag & (CSIZE | CSTOPB), CS8);
    settings.dataBits = db7BITS;
    settings.stopBits = sb2BITS;
    EXPECT_EQ(BuildTermios(settings).c_cflag & (CSIZE | CSTOPB), CS7 | CSTOPB);
    settings.dataBits = db5BITS;
    settings.stopBits = sb1HALFBITS;
    EXPECT_EQ(BuildTermios(settings).c_cflag & (CSIZE | CSTOPB), CS5 | CSTOPB);
    settings.dataBits = db6BITS;
    settings.stopBits = sb1BITS;
    EXPECT_EQ(BuildTermios(settings).c_cflag & (CSIZE | CSTOPB), CS6);
}

TEST(BuildTermios, EveryRateGoesThroughBotherAndTheLineIgnoresModemStatus) {
    LineSettings settings;
    settings.speed = br14400;
    const termios2 line = BuildTermios(settings);
    EXPECT_EQ(line.c_cflag & CBAUD, static_cast<tcflag_t>(BOTHER));
    EXPECT_EQ(line.c_ospeed, 14400U);
    EXPECT_EQ(line.c_ispeed, 14400U);
    EXPECT_NE(line.c_cflag & CLOCAL, 0U);
    EXPECT_NE(line.c_cflag & CREAD, 0U);
    EXPECT_EQ(line.c_cc[VSTART], 17);
    EXPECT_EQ(line.c_cc[VSTOP], 19);
}

}  // namespace
}  // namespace tavrel
