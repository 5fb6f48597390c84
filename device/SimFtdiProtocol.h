#pragma once
// Message types of the simulated FTDI link: a Unix stream socket between the program (the USB
// host) and whatever plays the head unit behind its FTDI chip. The socket path is the value of
// KLT_USB_SIM; docs/usb-simulation.md describes the format for other servers.
//
// Every message in either direction: type (1 byte), payload length (2 bytes, big-endian), payload.
// Connecting is plugging the device in; the head unit greets with its description ('I').
#include <cstddef>
#include <cstdint>

namespace klt {

enum TSimMessage : uint8_t {
    // Program to head unit.
    kSimData = 'D',        // bytes for the head unit (the other way: bytes for the program)
    kSimBaudRate = 'B',    // u32 big-endian
    kSimLineFormat = 'L',  // data bits, stop bits (1 or 2), parity 'N', 'E', 'O', 'M' or 'S'
    kSimPurge = 'P',       // bit 0 receive queue, bit 1 transmit queue
    kSimBreak = 'K',       // 1 on, 0 off
    kSimBitMode = 'M',     // mask, mode
    kSimReset = 'R',       // reset the device
    kSimCycle = 'C',       // cycle the port: the device leaves and must be opened again
    // Head unit to program.
    kSimIdentity = 'I',    // the device description, once when the connection opens
};

inline constexpr uint8_t kSimPurgeReceive = 1;
inline constexpr uint8_t kSimPurgeTransmit = 2;
inline constexpr size_t kSimHeaderSize = 3;
// Longest payload either side sends or accepts; a longer frame ends the connection.
inline constexpr size_t kSimMaxPayload = 4096;

} // namespace klt
