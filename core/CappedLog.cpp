#include "core/CappedLog.h"

#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace klt {

bool TCappedLog::Open(const std::string& path) {
    const std::lock_guard lock(mutex_);
    file_.reset();
    written_ = 0;
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, error);
    }
    file_.reset(std::fopen(path.c_str(), "wb"));
    return file_ != nullptr;
}

void TCappedLog::Line(const std::string& line) {
    const std::lock_guard lock(mutex_);
    if (file_ == nullptr) {
        return;
    }
    const uint64_t size = line.size() + 1;
    if (written_ + size > capBytes_) {
        // Starting afresh in place keeps the path valid for whoever follows the log.
        if (::ftruncate(::fileno(file_.get()), 0) != 0) {
            file_.reset(); // a log that cannot shrink stops rather than grow
            return;
        }
        std::rewind(file_.get());
        written_ = 0;
    }
    std::fwrite(line.data(), 1, line.size(), file_.get());
    std::fputc('\n', file_.get());
    std::fflush(file_.get());
    written_ += size;
}

bool TCappedLog::IsOpen() const {
    const std::lock_guard lock(mutex_);
    return file_ != nullptr;
}

} // namespace klt
