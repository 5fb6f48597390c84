#pragma once
// When failed live-value reads mean the head unit is gone: a few failures in a row are forgiven
// while the last good read is recent (or there was none yet), and a connection without a good read
// for 15 s is lost whatever the reads say. A loss is reported once, until a read succeeds again.
#include <cstdint>
#include <optional>

namespace klt {

class TPollErrorCount {
public:
    static constexpr int kTimeoutLimit = 4;
    static constexpr int kOtherErrorLimit = 3;
    static constexpr int64_t kRecentSuccessMs = 1000;
    static constexpr int64_t kSilenceMs = 15000;

    explicit TPollErrorCount(int64_t startMs) : lastGoodMs_(startMs) {}

    void Success(int64_t nowMs);
    // The failure's number in the present run; `lost` tells whether the connection is to be
    // reported lost now.
    struct TVerdict {
        int number = 0;
        bool lost = false;
    };
    TVerdict Timeout(int64_t nowMs) { return Failure(nowMs, kTimeoutLimit); }
    TVerdict OtherError(int64_t nowMs) { return Failure(nowMs, kOtherErrorLimit); }
    // True, once, when no read has succeeded for kSilenceMs.
    bool Silent(int64_t nowMs);

private:
    TVerdict Failure(int64_t nowMs, int limit);
    bool Report();

    int64_t lastGoodMs_;
    bool succeeded_ = false;
    int errors_ = 0;
    bool reported_ = false;
};

} // namespace klt
