#pragma once
// A plain-text debug log that a long run cannot let grow without bound: once it holds `capBytes`,
// it starts afresh (the newest lines are the ones worth reading). It never throws: a log that
// cannot be written must not stop the work it watches. Lines from several threads never mix.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

namespace klt {

class TCappedLog {
public:
    static constexpr uint64_t kDefaultCapBytes = 4 << 20;

    explicit TCappedLog(uint64_t capBytes = kDefaultCapBytes) : capBytes_(capBytes) {}

    // Creates the folders of `path` when missing and starts the file empty. False when it cannot
    // be created; the log then stays closed and writes nothing.
    bool Open(const std::string& path);

    // Appends `line` and a line end, flushed at once so the log shows how far a run got.
    void Line(const std::string& line);
    bool IsOpen() const;

private:
    struct TCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    mutable std::mutex mutex_;
    uint64_t capBytes_;
    uint64_t written_ = 0;
    std::unique_ptr<std::FILE, TCloser> file_;
};

} // namespace klt
