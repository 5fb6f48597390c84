#pragma once
// A list element of the online options file ("<UserNameList>", "<Categories>"): one child element
// per item, in order.
#include <algorithm>
#include <string_view>
#include <vector>

#include "online/OnlineOptionSet.h"

namespace klt {

template <typename TItem> class TOnlineOptionList : public TOnlineOptionSet {
public:
    // Far more than anyone keeps; a file claiming more is not read past it.
    static constexpr size_t kMaxItems = 1000;

    explicit TOnlineOptionList(std::string_view tag) : tag_(tag) {}

    int Count() const { return static_cast<int>(items_.size()); }
    const std::vector<TItem>& Items() const { return items_; }
    // Item i with i clamped into the list; nothing for an empty list.
    const TItem* Item(int i) const {
        if (items_.empty()) {
            return nullptr;
        }
        return &items_[static_cast<size_t>(std::clamp(i, 0, Count() - 1))];
    }
    // Replaces item i; an index past the end appends. Ignored for a negative index.
    void PutItem(int i, const TItem& item) {
        if (i >= Count()) {
            items_.push_back(item);
        } else if (i >= 0) {
            items_[static_cast<size_t>(i)] = item;
        }
    }

    // Ignored outside the list.
    void DeleteItem(int i) {
        if (i >= 0 && i < Count()) {
            items_.erase(items_.begin() + i);
        }
    }

    void SetDefaults() override { items_.clear(); }
    bool operator==(const TOnlineOptionList&) const = default;
    std::string_view Tag() const override { return tag_; }

protected:
    std::string_view VariableMarker() const override { return "Variable"; }
    bool ReadVariable(const TProfileVariable&) override { return false; }
    bool ReadChild(std::string_view line, TOnlineOptionReader& reader) override {
        TItem item;
        if (!HoldsOpeningTag(line, item.Tag())) {
            return false;
        }
        item.LoadSet(reader);
        if (items_.size() < kMaxItems) {
            items_.push_back(std::move(item));
        }
        return true;
    }
    void WriteContent(TOnlineOptionWriter& writer) const override {
        for (const TItem& item : items_) {
            item.SaveSet(writer);
        }
    }

private:
    std::string_view tag_;
    std::vector<TItem> items_;
};

} // namespace klt
