#include "core/PagArray.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/BinaryFile.h"
#include "core/Exceptions.h"

namespace klt {

TPagedArrayBase::TPagedArrayBase(int elementSize, int pageSize, const char* className)
    : elementSize_(elementSize), pageSize_(pageSize), elementsPerPage_(pageSize / elementSize),
      pageOfIndex_((uint64_t{1} << 32) / static_cast<uint64_t>(elementsPerPage_) + 1), className_(className) {}

void TPagedArrayBase::CountOutOfRange() const {
    throw ERangeError(std::string("Count of ") + className_ + " out of range");
}

void TPagedArrayBase::IndexOutOfRange() const {
    throw ERangeError(std::string("Index out of ") + className_);
}

void TPagedArrayBase::SetCount(int n) { Resize(n, true); }

void TPagedArrayBase::Resize(int n, bool zeroNew) {
    if (n < 0 || n > kMaxCount) {
        CountOutOfRange();
    }
    const int pagesNeeded = (n + elementsPerPage_ - 1) / elementsPerPage_;
    if (pagesNeeded > kMaxPages) {
        CountOutOfRange();
    }
    while (static_cast<int>(pages_.size()) < pagesNeeded) {
        pages_.push_back(std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(pageSize_)));
    }
    pages_.resize(static_cast<size_t>(pagesNeeded));
    const int oldCount = count_;
    count_ = n;
    if (zeroNew && n > oldCount) {
        ForEachRun(oldCount, n - oldCount, [](uint8_t* address, size_t length) { std::memset(address, 0, length); });
    }
}

void TPagedArrayBase::InsertRange(int at, int n) { OpenGap(at, n, true); }

void TPagedArrayBase::OpenGap(int at, int n, bool zeroGap) {
    if (n == 0) {
        return;
    }
    if (n < 0 || n > kMaxCount - count_) {
        CountOutOfRange();
    }
    if (at < 0 || at > count_) {
        IndexOutOfRange();
    }
    const int oldCount = count_;
    Resize(count_ + n, false);
    for (int i = oldCount - 1; i >= at; --i) {
        std::memcpy(Address(i + n), Address(i), static_cast<size_t>(elementSize_));
    }
    if (zeroGap) {
        ForEachRun(at, n, [](uint8_t* address, size_t length) { std::memset(address, 0, length); });
    }
}

void TPagedArrayBase::ForEachRun(int start, int n, const RunAction& action) {
    std::as_const(*this).ForEachRun(start, n, [&](const uint8_t* address, size_t length) {
        action(const_cast<uint8_t*>(address), length);
    });
}

void TPagedArrayBase::ForEachRun(int start, int n,
                                 const std::function<void(const uint8_t*, size_t)>& action) const {
    if (n <= 0) {
        return;
    }
    if (start < 0 || start > count_ - n) {
        IndexOutOfRange();
    }
    int i = start;
    const int end = start + n;
    while (i < end) {
        const int runLength = std::min(end - i, elementsPerPage_ - i % elementsPerPage_);
        try {
            action(Address(i), static_cast<size_t>(runLength) * elementSize_);
        } catch (const Exception&) {
            // A failing run leaves its elements as they are; the next run is independent.
        }
        i += runLength;
    }
}

size_t TPagedArrayBase::ReadFromFile(TBinaryReader& file, int start, int n) {
    OpenGap(start, n, false); // every element is read or zeroed below
    // One scattered read for all page runs instead of a call per run.
    std::vector<TBinaryReader::TSpan> spans;
    ForEachRun(start, n, [&](uint8_t* address, size_t length) { spans.push_back({address, length}); });
    const size_t arrived = file.ReadSpans(spans);
    const size_t elementSize = static_cast<size_t>(elementSize_);
    size_t got = arrived - arrived % elementSize; // an element the file supplied only in part counts as missing
    for (const TBinaryReader::TSpan& span : spans) {
        const size_t kept = std::min(got, span.size);
        std::memset(span.data + kept, 0, span.size - kept);
        got -= kept;
    }
    return arrived;
}

TPagedDataArray::TPagedDataArray(int elementSize) : TPagedArrayBase(elementSize, 65536, "TPagedDataArray") {}

TPagedDataArrayOldDataFormat::TPagedDataArrayOldDataFormat(int elementSize)
    : TPagedArrayBase(elementSize, 16384, "TPagedDataArrayOldDataFormat") {}

} // namespace klt
