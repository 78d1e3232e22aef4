// The serial port's enumerations with their documented ordinals, and the
// numbers behind them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tavrel {

enum TComPortNumber : std::uint8_t {
    pnCOM1,
    pnCOM2,
    pnCOM3,
    pnCOM4,
    pnCOM5,
    pnCOM6,
    pnCOM7,
    pnCOM8
};
constexpr int kComPortCount = 8;

enum TComPortBaudRate : std::uint8_t {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200
};
constexpr int kBaudRateCount = 13;

enum TComPortDataBits : std::uint8_t { db5BITS, db6BITS, db7BITS, db8BITS };
enum TComPortStopBits : std::uint8_t { sb1BITS, sb1HALFBITS, sb2BITS };
enum TComPortParity : std::uint8_t { ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE };
enum TComPortHwHandshaking : std::uint8_t { hhNONE, hhRTSCTS };
enum TComPortSwHandshaking : std::uint8_t { shNONE, shXONXOFF };

// The line parameters the driver applies together.
struct LineSettings {
    TComPortBaudRate speed = br9600;
    TComPortDataBits dataBits = db8BITS;
    TComPortStopBits stopBits = sb1BITS;
    TComPortParity parity = ptNONE;
    TComPortHwHandshaking hwHandshaking = hhNONE;
    TComPortSwHandshaking swHandshaking = shNONE;
};

// Bits per second of a baud-rate ordinal: 110 ... 115200.
std::uint32_t BaudRateValue(TComPortBaudRate rate);

// "COM1" ... "COM8".
std::string PortName(TComPortNumber port);

// Where each of COM1..COM8 lives; index = ordinal.
using DevicePathTable = std::array<std::string, kComPortCount>;

// /dev/ttyS0 ... /dev/ttyS7.
DevicePathTable DefaultDevicePaths();

}  // namespace tavrel
