#pragma once
// Makes the disk "full" for this process after a number of bytes per file, also for root: writes
// beyond the limit fail with EFBIG instead of raising SIGXFSZ. Restores both on destruction.
#include <csignal>
#include <sys/resource.h>

namespace klt::test {

class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = old_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~TFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    struct rlimit old_ {};
    void (*oldHandler_)(int) = nullptr;
};

} // namespace klt::test
