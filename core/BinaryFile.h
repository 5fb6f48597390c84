#pragma once
// Little-endian binary file access with the error behaviour every reader and writer of the engine
// shares: failures are EInOutError with a readable cause, writes replace the target atomically.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/KLTDate.h"

namespace klt {

// The readable text of an errno value, as users of the program see it.
std::string IoErrorMessage(int error);

// Modification stamp of a file in nanoseconds since the epoch; -1 when it cannot be read.
int64_t FileModificationStamp(const std::string& path);

// The permission bits a file written at `path` gets: those of the file it replaces, else the usual
// ones under the umask (0666 & ~umask).
unsigned NewFileMode(const std::string& path);

// Creates an empty temporary file beside `path` (in its folder, hidden, named after it and the
// process: "." + name + "." + pid + "-XXXXXX") and returns its descriptor; `temporary` gets its
// path. Throws EInOutError.
int CreateTemporaryBeside(const std::string& path, std::string& temporary);

// Status change stamp of a file in nanoseconds since the epoch (unlike the modification time, no
// writer sets it to a training's own date); -1 when it cannot be read.
int64_t FileChangeStamp(const std::string& path);

// Whether the entry `name` of a folder is a temporary file of a training that a run which is gone
// left behind: the process its name tells is no longer there, or it has not changed for an hour.
// `changeStamp` is its status change stamp, `now` the time in the same unit.
bool IsStaleTrainingTemporary(const std::string& name, int64_t changeStamp, int64_t now);

// Buffered reading over a plain descriptor, so that large blocks go to their memory in as few
// system calls as possible.
class TBinaryReader {
public:
    struct TSpan {
        uint8_t* data;
        size_t size;
    };

    // Opens regular files only, so a pipe or device named like a training never blocks a reader.
    explicit TBinaryReader(const std::string& path);
    ~TBinaryReader();
    TBinaryReader(const TBinaryReader&) = delete;
    TBinaryReader& operator=(const TBinaryReader&) = delete;

    int64_t ModificationStamp() const { return stamp_; }

    // Reads exactly `size` bytes or throws EInOutError; a short read still fills what it got.
    void Read(void* buffer, size_t size);
    // Reads up to `size` bytes and returns how many arrived.
    size_t ReadSome(void* buffer, size_t size);
    // Fills the spans in order and returns how many bytes arrived in all.
    size_t ReadSpans(const std::vector<TSpan>& spans);

    uint8_t ReadU8();
    uint16_t ReadU16();
    uint32_t ReadU32();

    void Close(); // errors on closing are of no interest to a reader

private:
    size_t TakeBuffered(uint8_t* out, size_t size);

    int fd_ = -1;
    int64_t stamp_ = -1;
    std::vector<uint8_t> buffer_;
    size_t bufferPos_ = 0;
    size_t bufferEnd_ = 0;
};

// Writes to a temporary file beside the target and renames it over the target on Commit(), so a
// crash or a full disk never leaves a half-written file. Without Commit() the target is untouched.
class TAtomicFileWriter {
public:
    explicit TAtomicFileWriter(const std::string& path);
    ~TAtomicFileWriter();
    TAtomicFileWriter(const TAtomicFileWriter&) = delete;
    TAtomicFileWriter& operator=(const TAtomicFileWriter&) = delete;

    // The new file gets these permission bits (as chmod takes them) instead of the old file's or
    // the default ones. Call it before writing anything secret.
    void SetPermissions(unsigned mode);

    void Write(const void* data, size_t size);
    void WriteU8(uint8_t value);
    void WriteU16(uint16_t value);
    void WriteU32(uint32_t value);

    // Whether Commit waits for the disk. A cache that is rebuilt when lost or damaged need not:
    // the rename still never shows a half-written file to a running program.
    enum class TSync { Durable, CacheOnly };

    // Flushes, syncs, sets the modification time (unless `stamp` is none) and renames over the
    // target. Returns the target's modification stamp afterwards.
    int64_t Commit(const TDateTimeMark& stamp = TDateTimeMark::None(), TSync sync = TSync::Durable);

private:
    void Fail(int error);
    void Discard();

    std::string path_;
    std::string tempPath_;
    std::FILE* file_ = nullptr;
};

// Copies `source` to `target` through TAtomicFileWriter: the copy is on disk before it has its
// name. Throws EInOutError, also when the source could not be read to its end.
void CopyFileSynced(const std::string& source, const std::string& target);

} // namespace klt
