#include <gtest/gtest.h>

#include "device/transport/LibFtdiLink.h"

namespace klt {
namespace {

// Without an open device every operation is refused with a status, never a crash; no USB is touched.
TEST(LibFtdiLink, OperationsBeforeOpeningAreRefused) {
    TLibFtdiLink link;
    size_t n = 7;
    uint8_t byte = 0;
    const TFtStatus statuses[] = {link.Close(),
                                  link.ResetDevice(),
                                  link.PurgeTransmit(),
                                  link.PurgeReceive(),
                                  link.SetBreak(true),
                                  link.SetBaudRate(38400),
                                  link.SetTimeouts(500, 500),
                                  link.QueueStatus(n),
                                  link.Write(&byte, 1, n),
                                  link.Read(&byte, 1, n),
                                  link.SetBitMode(0, 0),
                                  link.CyclePort()};
    for (const TFtStatus status : statuses) {
        EXPECT_TRUE(status == FT_INVALID_HANDLE || status == FT_INSUFFICIENT_RESOURCES) << status;
    }
    EXPECT_EQ(n, 0u);
}

} // namespace
} // namespace klt
