#pragma once
// Wire format between the program's simulated FTDI backend (client) and a head-unit simulator
// (server) over a Unix stream socket; the socket path is the value of KLT_USB_SIM.
//
// Every message is a frame: one byte code, a 32-bit little-endian payload length (at most
// kSimMaxPayload), then the payload. The client sends one request frame and waits for exactly one
// reply frame before it sends the next; the server answers requests in order. A reply's code is
// the driver status of the operation (0 = FT_OK, 1 invalid handle, 2 device not found, 3 device
// not opened, 4 I/O error, 5 insufficient resources). Integers in payloads are little-endian.
//
// Request            payload of the request                       payload of a FT_OK reply
// kSimList           none                                         each device's description
//                                                                 followed by one 0x00 byte
// kSimOpen           the description                              none
// kSimClose          none                                         none
// kSimReset          none                                         none
// kSimPurge          u8: kSimPurgeTransmit or kSimPurgeReceive    none
// kSimBreak          u8: 1 on, 0 off                              none
// kSimBaudRate       u32 baud rate                                none
// kSimLineFormat     u8 data bits, u8 stop bits (0 = one,         none
//                    2 = two), u8 parity (0 none, 1 odd, 2 even)
// kSimFlowNone       u8 XON, u8 XOFF                              none
// kSimWrite          the bytes                                    u32 count taken
// kSimRead           u32 at most n bytes, u32 time-out in ms      the bytes (0..n): the server
//                                                                 answers once n bytes are there
//                                                                 or the time-out has passed
// kSimQueueStatus    none                                         u32 bytes waiting to be read
// kSimBitMode        u8 mask, u8 mode                             none
// kSimCycle          none                                         none; the device is closed and
//                                                                 must be opened again
//
// Operations other than list and open on a device that is not open answer status 1. A server
// that does not know a request code answers status 4 with no payload.
#include <cstdint>

namespace klt {

enum TSimRequest : uint8_t {
    kSimList = 1,
    kSimOpen = 2,
    kSimClose = 3,
    kSimReset = 4,
    kSimPurge = 5,
    kSimBreak = 6,
    kSimBaudRate = 7,
    kSimLineFormat = 8,
    kSimFlowNone = 9,
    kSimWrite = 10,
    kSimRead = 11,
    kSimQueueStatus = 12,
    kSimBitMode = 13,
    kSimCycle = 14,
};

inline constexpr uint8_t kSimPurgeTransmit = 1;
inline constexpr uint8_t kSimPurgeReceive = 2;
inline constexpr uint32_t kSimMaxPayload = 1u << 20;

} // namespace klt
