#include "core/SmallFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/BinaryFile.h"
#include "core/Exceptions.h"

namespace klt {
namespace {

class TDescriptor {
public:
    explicit TDescriptor(int fd) : fd_(fd) {}
    ~TDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

} // namespace

std::optional<std::string> ReadSmallFile(const std::string& path, size_t maxSize) {
    // Non-blocking, so that a pipe put in the file's place cannot stall the caller in open().
    TDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.Get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR) { // no such file, or a file where a directory should be
            return std::nullopt;
        }
        throw EInOutError(IoErrorMessage(errno));
    }
    struct stat st {};
    if (::fstat(file.Get(), &st) != 0) {
        throw EInOutError(IoErrorMessage(errno));
    }
    if (!S_ISREG(st.st_mode)) {
        throw EInOutError(S_ISDIR(st.st_mode) ? IoErrorMessage(EISDIR) : "Not a regular file");
    }
    if (static_cast<uint64_t>(st.st_size) > maxSize) {
        throw EInOutError("File too large");
    }
    std::string content;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(file.Get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw EInOutError(IoErrorMessage(errno));
        }
        if (got == 0) {
            return content;
        }
        // The file may grow while it is read.
        if (content.size() + static_cast<size_t>(got) > maxSize) {
            throw EInOutError("File too large");
        }
        content.append(buffer, static_cast<size_t>(got));
    }
}

} // namespace klt
