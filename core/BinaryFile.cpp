#include "core/BinaryFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
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

TBinaryReader::TBinaryReader(const std::string& path) {
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) {
        throw EInOutError(IoErrorMessage(errno));
    }
    struct stat st {};
    if (::fstat(::fileno(file_), &st) != 0 || S_ISDIR(st.st_mode)) {
        int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
        std::fclose(file_);
        file_ = nullptr;
        throw EInOutError(IoErrorMessage(error));
    }
    stamp_ = StampOf(st);
}

TBinaryReader::~TBinaryReader() { Close(); }

void TBinaryReader::Close() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

size_t TBinaryReader::ReadSome(void* buffer, size_t size) {
    if (file_ == nullptr) {
        return 0;
    }
    return std::fread(buffer, 1, size, file_);
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

int64_t TAtomicFileWriter::Commit(const TDateTimeMark& stamp) {
    if (file_ == nullptr) {
        throw EInOutError("File not open");
    }
    if (std::fflush(file_) != 0 || ::fsync(::fileno(file_)) != 0) {
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
    int dir = ::open(DirectoryOf(path_).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return FileModificationStamp(path_);
}

} // namespace klt
