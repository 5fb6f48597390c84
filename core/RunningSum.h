#pragma once
// The running sum of one channel: for each sample the sum of the values from the first sample up
// to and including it. Kept as a Fenwick tree, so changing one value carries its difference into
// every later sum and reading any sum both take O(log n): a data editor's edits never need a pass
// over the samples, and readers never see stale sums.
#include <cstdint>
#include <vector>

namespace klt {

class TRunningSum {
public:
    int Count() const { return static_cast<int>(tree_.size()); }
    void Clear() { tree_.clear(); }
    void Append(int64_t value);
    // Replaces the sums with those of values, in one pass.
    void Assign(std::vector<int64_t> values);
    // Adds delta to the value at index (0-based).
    void Add(int index, int64_t delta);
    // Sum of the values 0..index; 0 for a negative index. Throws ERangeError past the end.
    int64_t Through(int index) const;

private:
    // Node k (1-based, at tree_[k - 1]) holds the sum of the values k - lowbit(k) .. k - 1.
    std::vector<int64_t> tree_;
};

} // namespace klt
