#pragma once
// Growable arrays of fixed-size records kept in whole pages, so that no allocation exceeds one page
// and inserting a range only moves record bytes. Counts are limited to 16 bits like the files.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace klt {

class TBinaryReader;

class TPagedArrayBase {
public:
    static constexpr int kMaxCount = 65535;
    static constexpr int kMaxPages = 32;

    using RunAction = std::function<void(uint8_t* address, size_t length)>;

    int ElementSize() const { return elementSize_; }
    int ElementsPerPage() const { return elementsPerPage_; }
    int Count() const { return count_; }
    int PageCount() const { return static_cast<int>(pages_.size()); }

    // Grows or shrinks to n elements; kept elements keep their bytes, new ones are zero.
    void SetCount(int n);
    uint8_t* Items(int i) { return const_cast<uint8_t*>(std::as_const(*this).Items(i)); }
    const uint8_t* Items(int i) const {
        if (i < 0 || i >= count_) {
            IndexOutOfRange();
        }
        return Address(i);
    }
    // How many elements from i on lie in the same page, contiguous in memory (at least 1).
    int ContiguousFrom(int i) const {
        (void)Items(i); // range check
        return std::min(elementsPerPage_ - i % elementsPerPage_, count_ - i);
    }
    // Opens a zeroed gap of n elements at `at`, moving the elements above it up.
    void InsertRange(int at, int n);
    // Calls `action` once per page touched by elements start..start+n-1. Errors of the action are
    // swallowed so that one bad run does not stop the walk.
    void ForEachRun(int start, int n, const RunAction& action);
    void ForEachRun(int start, int n, const std::function<void(const uint8_t*, size_t)>& action) const;
    // Inserts n elements at `start` and fills them from the file. A short read leaves every element
    // the file did not supply in full zeroed and is not an error. Returns the bytes that arrived.
    size_t ReadFromFile(TBinaryReader& file, int start, int n);

protected:
    TPagedArrayBase(int elementSize, int pageSize, const char* className);
    ~TPagedArrayBase() = default;
    TPagedArrayBase(TPagedArrayBase&&) noexcept = default;
    TPagedArrayBase& operator=(TPagedArrayBase&&) noexcept = default;

private:
    // Grows or shrinks; new elements are zeroed only when asked, for callers that fill them.
    void Resize(int n, bool zeroNew);
    void OpenGap(int at, int n, bool zeroGap);
    // Sample access is the innermost loop of every series: a multiplication instead of a division
    // (exact for indices and divisors up to 2^16).
    uint8_t* Address(int i) const {
        const auto page = static_cast<size_t>((static_cast<uint64_t>(i) * pageOfIndex_) >> 32);
        return pages_[page].get() +
               (static_cast<size_t>(i) - page * static_cast<size_t>(elementsPerPage_)) * static_cast<size_t>(elementSize_);
    }
    [[noreturn]] void CountOutOfRange() const;
    [[noreturn]] void IndexOutOfRange() const;

    int elementSize_;
    int pageSize_;
    int elementsPerPage_;
    uint64_t pageOfIndex_; // i / elementsPerPage_ == (i * pageOfIndex_) >> 32 for 16-bit indices
    const char* className_;
    int count_ = 0;
    std::vector<std::unique_ptr<uint8_t[]>> pages_;
};

// Sample storage with 64 KiB pages.
class TPagedDataArray : public TPagedArrayBase {
public:
    explicit TPagedDataArray(int elementSize);
};

// The 5-byte records of older files while they are converted; read-only, 16 KiB pages.
class TPagedDataArrayOldDataFormat : public TPagedArrayBase {
public:
    explicit TPagedDataArrayOldDataFormat(int elementSize);
};

} // namespace klt
