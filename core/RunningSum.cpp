#include "core/RunningSum.h"

#include <utility>

#include "core/Exceptions.h"

namespace klt {
namespace {

size_t LowBit(size_t k) {
    return k & (~k + 1);
}

} // namespace

void TRunningSum::Append(int64_t value) {
    // The new node k covers the values k - lowbit(k) .. k - 1: its own and those of the nodes
    // below it that it spans.
    const size_t k = tree_.size() + 1;
    for (size_t j = k - 1; j > k - LowBit(k); j -= LowBit(j)) {
        value += tree_[j - 1];
    }
    tree_.push_back(value);
}

void TRunningSum::Assign(std::vector<int64_t> values) {
    tree_ = std::move(values);
    for (size_t k = 1; k <= tree_.size(); ++k) {
        const size_t parent = k + LowBit(k);
        if (parent <= tree_.size()) {
            tree_[parent - 1] += tree_[k - 1];
        }
    }
}

void TRunningSum::Add(int index, int64_t delta) {
    if (index < 0 || index >= Count()) {
        throw ERangeError("Index out of TRunningSum");
    }
    for (size_t k = static_cast<size_t>(index) + 1; k <= tree_.size(); k += LowBit(k)) {
        tree_[k - 1] += delta;
    }
}

int64_t TRunningSum::Through(int index) const {
    if (index >= Count()) {
        throw ERangeError("Index out of TRunningSum");
    }
    int64_t sum = 0;
    for (size_t k = index < 0 ? 0 : static_cast<size_t>(index) + 1; k > 0; k -= LowBit(k)) {
        sum += tree_[k - 1];
    }
    return sum;
}

} // namespace klt
