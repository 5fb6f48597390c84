#include "core/BinaryFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include "core/Exceptions.h"

namespace klt {
namespace {

int64_t StampOf(const struct stat& st) {
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
}

std::string DirectoryOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The process's umask, read without changing it: setting it to read it back would give files
// other threads create meanwhile the wrong permissions.
mode_t CurrentUmask() {
    if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status) != nullptr) {
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        }
        std::fclose(status);
        if (found) {
            return static_cast<mode_t>(mask);
        }
    }
    return 022;
}

constexpr int64_t kStaleAge = int64_t{3600} * 1'000'000'000; // no write takes an hour

bool ProcessIsGone(const std::string& digits) {
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    return ::kill(static_cast<pid_t>(std::stol(digits)), 0) != 0 && errno == ESRCH;
}

} // namespace

unsigned NewFileMode(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        return st.st_mode & 07777;
    }
    return 0666 & ~CurrentUmask();
}

int CreateTemporaryBeside(const std::string& path, std::string& temporary) {
    temporary = DirectoryOf(path) + "/." + BaseNameOf(path) + "." + std::to_string(::getpid()) + "-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        temporary.clear();
        throw EInOutError(IoErrorMessage(error));
    }
    ::fchmod(fd, NewFileMode(path)); // not the owner-only mode temporary files are made with
    return fd;
}

bool IsStaleTrainingTemporary(const std::string& name, int64_t changeStamp, int64_t now) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    const bool temporaryShape = lower.find(".klt.") != std::string::npos || lower.find(".new-") != std::string::npos ||
                                lower.rfind(".incoming-", 0) == 0;
    if (!temporaryShape || lower[0] != '.') {
        return false;
    }
    const size_t dot = name.rfind('.');
    const size_t dash = name.find('-', dot);
    if (dash != std::string::npos && ProcessIsGone(name.substr(dot + 1, dash - dot - 1))) {
        return true;
    }
    return changeStamp >= 0 && now - changeStamp > kStaleAge;
}

int64_t FileChangeStamp(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0
               ? static_cast<int64_t>(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec
               : -1;
}

std::string IoErrorMessage(int error) {
    switch (error) {
    case ENOENT:
        return "File not found";
    case EACCES:
    case EPERM:
        return "File access denied";
    case ENOSPC:
        return "Disk full";
    case EISDIR:
        return "Is a directory";
    default:
        return std::strerror(error);
    }
}

int64_t FileModificationStamp(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? StampOf(st) : -1;
}

TBinaryReader::TBinaryReader(const std::string& path) : buffer_(8192) {
    // Without O_NONBLOCK opening a FIFO would wait for a writer; regular files ignore the flag.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        throw EInOutError(IoErrorMessage(errno));
    }
    struct stat st {};
    const bool statFailed = ::fstat(fd_, &st) != 0;
    if (statFailed || !S_ISREG(st.st_mode)) {
        const std::string message = statFailed              ? IoErrorMessage(errno)
                                    : S_ISDIR(st.st_mode) ? IoErrorMessage(EISDIR)
                                                          : std::string("Not a regular file");
        Close();
        throw EInOutError(message);
    }
    stamp_ = StampOf(st);
}

TBinaryReader::~TBinaryReader() { Close(); }

void TBinaryReader::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

size_t TBinaryReader::TakeBuffered(uint8_t* out, size_t size) {
    const size_t n = std::min(size, bufferEnd_ - bufferPos_);
    std::memcpy(out, buffer_.data() + bufferPos_, n);
    bufferPos_ += n;
    return n;
}

size_t TBinaryReader::ReadSome(void* buffer, size_t size) {
    return ReadSpans({{static_cast<uint8_t*>(buffer), size}});
}

size_t TBinaryReader::ReadSpans(const std::vector<TSpan>& spans) {
    // What the buffer holds goes first; small remainders refill it, large ones bypass it.
    std::vector<struct iovec> rest;
    size_t total = 0;
    size_t wanted = 0;
    for (const TSpan& span : spans) {
        const size_t taken = TakeBuffered(span.data, span.size);
        total += taken;
        if (taken < span.size) {
            rest.push_back({span.data + taken, span.size - taken});
            wanted += span.size - taken;
        }
    }
    if (wanted == 0 || fd_ < 0) {
        return total;
    }
    if (wanted < buffer_.size()) {
        const ssize_t got = ::read(fd_, buffer_.data(), buffer_.size());
        bufferPos_ = 0;
        bufferEnd_ = got > 0 ? static_cast<size_t>(got) : 0;
        for (const struct iovec& v : rest) {
            total += TakeBuffered(static_cast<uint8_t*>(v.iov_base), v.iov_len);
        }
        return total;
    }
    size_t first = 0;
    while (first < rest.size()) {
        const int count = static_cast<int>(std::min<size_t>(rest.size() - first, IOV_MAX));
        const ssize_t got = ::readv(fd_, rest.data() + first, count);
        if (got <= 0) {
            break;
        }
        total += static_cast<size_t>(got);
        // Skip what was filled, then continue after a partial read.
        size_t left = static_cast<size_t>(got);
        while (first < rest.size() && left >= rest[first].iov_len) {
            left -= rest[first++].iov_len;
        }
        if (left > 0) {
            rest[first].iov_base = static_cast<uint8_t*>(rest[first].iov_base) + left;
            rest[first].iov_len -= left;
        }
    }
    return total;
}

void TBinaryReader::Read(void* buffer, size_t size) {
    if (ReadSome(buffer, size) != size) {
        throw EInOutError("Read beyond end of file");
    }
}

uint8_t TBinaryReader::ReadU8() {
    uint8_t b = 0;
    Read(&b, 1);
    return b;
}

uint16_t TBinaryReader::ReadU16() {
    uint8_t b[2];
    Read(b, 2);
    return static_cast<uint16_t>(b[0] | b[1] << 8);
}

uint32_t TBinaryReader::ReadU32() {
    uint8_t b[4];
    Read(b, 4);
    return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}

TAtomicFileWriter::TAtomicFileWriter(const std::string& path) : path_(path) {
    const int fd = CreateTemporaryBeside(path, tempPath_);
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) {
        int error = errno;
        ::close(fd);
        Fail(error);
    }
}

TAtomicFileWriter::~TAtomicFileWriter() { Discard(); }

void TAtomicFileWriter::Discard() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}

void TAtomicFileWriter::Fail(int error) {
    Discard();
    throw EInOutError(IoErrorMessage(error));
}

void TAtomicFileWriter::SetPermissions(unsigned mode) {
    if (file_ == nullptr) {
        throw EInOutError("File not open");
    }
    if (::fchmod(::fileno(file_), static_cast<mode_t>(mode)) != 0) {
        Fail(errno);
    }
}

void TAtomicFileWriter::Write(const void* data, size_t size) {
    if (file_ == nullptr) {
        throw EInOutError("File not open");
    }
    if (size != 0 && std::fwrite(data, 1, size, file_) != size) {
        Fail(errno != 0 ? errno : EIO);
    }
}

void TAtomicFileWriter::WriteU8(uint8_t value) { Write(&value, 1); }

void TAtomicFileWriter::WriteU16(uint16_t value) {
    uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    Write(b, 2);
}

void TAtomicFileWriter::WriteU32(uint32_t value) {
    uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                    static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    Write(b, 4);
}

int64_t TAtomicFileWriter::Commit(const TDateTimeMark& stamp, TSync sync) {
    if (file_ == nullptr) {
        throw EInOutError("File not open");
    }
    const bool durable = sync == TSync::Durable;
    if (std::fflush(file_) != 0 || (durable && ::fsync(::fileno(file_)) != 0)) {
        Fail(errno);
    }
    if (!stamp.IsNone()) {
        struct timespec times[2];
        times[0].tv_sec = 0;
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_sec = ToUnixTime(stamp);
        times[1].tv_nsec = static_cast<long>(stamp.time % 100) * 10'000'000;
        ::futimens(::fileno(file_), times);
    }
    int closed = std::fclose(file_);
    file_ = nullptr;
    if (closed != 0) {
        Fail(errno);
    }
    if (::rename(tempPath_.c_str(), path_.c_str()) != 0) {
        Fail(errno);
    }
    tempPath_.clear();
    // Make the rename itself durable.
    int dir = durable ? ::open(DirectoryOf(path_).c_str(), O_RDONLY | O_DIRECTORY) : -1;
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return FileModificationStamp(path_);
}

void CopyFileSynced(const std::string& source, const std::string& target) {
    TBinaryReader in(source);
    struct stat st {};
    const int64_t size = ::stat(source.c_str(), &st) == 0 ? st.st_size : -1;
    TAtomicFileWriter out(target);
    std::vector<uint8_t> chunk(1 << 16);
    int64_t copied = 0;
    for (size_t got; (got = in.ReadSome(chunk.data(), chunk.size())) > 0; copied += static_cast<int64_t>(got)) {
        out.Write(chunk.data(), got);
    }
    if (copied != size) {
        throw EInOutError("Read error");
    }
    out.Commit();
}

} // namespace klt
