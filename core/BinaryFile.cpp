#include "core/BinaryFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
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

mode_t NewFileMode(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        return st.st_mode & 07777;
    }
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

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
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        throw EInOutError(IoErrorMessage(errno));
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
        Close();
        throw EInOutError(IoErrorMessage(error));
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
    tempPath_ = DirectoryOf(path) + "/." + BaseNameOf(path) + ".XXXXXX";
    int fd = ::mkstemp(tempPath_.data());
    if (fd < 0) {
        int error = errno;
        tempPath_.clear();
        throw EInOutError(IoErrorMessage(error));
    }
    ::fchmod(fd, NewFileMode(path));
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

} // namespace klt
