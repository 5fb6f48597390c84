#pragma once
// What a simulated head unit has been told and has done, for tests to check what the computer did.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace klt::sim {

struct TRegisterWrite {
    int reg = 0;
    std::array<uint8_t, 4> data{};
    bool applied = false; // false: refused while the head unit was locked
};

struct TCharacterTelegram {
    char command = 0;
    std::vector<uint8_t> data;
};

struct TUsbRequest {
    uint8_t requestClass = 0, code = 0;
    std::vector<uint8_t> data; // empty: a read
};

struct TBitModeWrite {
    uint8_t mask = 0, mode = 0;
    bool operator==(const TBitModeWrite&) const = default;
};

struct TSimState {
    int64_t clockSeconds = 0; // head-unit clock when the snapshot was taken
    int accessLevel = 0;      // register protocol: 0 while locked
    std::vector<uint32_t> passwordAttempts;
    int passwordsAccepted = 0;

    std::vector<TRegisterWrite> registerWrites; // generation IV, in order
    int registerReads = 0;
    int badChecksumsHeard = 0; // requests answered with 0x15
    int repeatsRequested = 0;  // 0x15 from the computer, answered by repeating the reply

    std::vector<TCharacterTelegram> telegrams; // generation V, every telegram understood
    int wakeUps = 0;                           // "xxxx" heard
    // Generation V: the settings memory, pages 0 to 3 of 256 bytes one after the other
    // (docs/genv-settings-memory.md); what "Y" wrote shows here.
    std::vector<uint8_t> settingsMemory;

    std::vector<TUsbRequest> usbRequests; // generations VI and 7, every request understood
    int usbOpens = 0;                     // connections, a device listing's included
    int usbCycles = 0, usbBitModes = 0, usbResets = 0, usbPurges = 0, usbUnplugs = 0;
    std::vector<TBitModeWrite> usbBitModeWrites; // in order
    int sectionCounts = 0;   // kind 29: section count asked, read cursor rewound
    int sectionsRead = 0;    // kind 30: the cursor moved to the next section and its header went out
    int headerRepeats = 0;   // kind 31
    int blockRepeats = 0;    // kind 33 (also counted in blocksSent)

    std::string initials;
    int intervalTenths = 0;
    int memoryClears = 0;
    int recordingsStarted = 0;

    int downloadsStarted = 0, downloadsCompleted = 0, downloadsAborted = 0;
    int announcedBlocks = 0;
    int blocksSent = 0;         // every transmission, repeats included
    int blocksAcknowledged = 0; // 0x06 received
    int blocksRefused = 0;      // 0x15 received

    int garbledBytes = 0; // lost to a speed or parity the head unit does not use
    int faultsInjected = 0;
};

} // namespace klt::sim
