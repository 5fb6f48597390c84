#include "core/Persistent.h"

#include <cstddef>
#include <utility>
#include <variant>

#include "core/Exceptions.h"

namespace klt {
namespace {

using TValue = std::variant<bool, int64_t, double, std::string, std::vector<std::string>, const TPersistent*>;

struct TEntry {
    std::string path;
    TValue value;
};

// Every property of an object as a flat list of dotted paths and values; nested persistent objects
// stay objects, so that copying and comparing them goes through their own Assign and Equals.
class TSnapshot : public TPropertyVisitor {
public:
    // Listing never calls a setter, so a const object can be listed.
    explicit TSnapshot(const TPersistent& object) { const_cast<TPersistent&>(object).VisitProperties(*this); }

    std::vector<TEntry> entries;

    void Boolean(std::string_view name, bool value, const TSetter<bool>&) override { Add(name, value); }
    void Integer(std::string_view name, int64_t value, int64_t, int64_t, const TSetter<int64_t>&) override {
        Add(name, value);
    }
    void Number(std::string_view name, double value, const TSetter<double>&) override { Add(name, value); }
    void Enumeration(std::string_view name, int value, TValueNames, const TSetter<int>&) override {
        Add(name, int64_t{value});
    }
    void Flags(std::string_view name, uint32_t value, TValueNames, const TSetter<uint32_t>&) override {
        Add(name, int64_t{value});
    }
    void Text(std::string_view name, const std::string& value, const TSetter<std::string>&) override {
        Add(name, value);
    }
    void TextList(std::string_view name, const std::vector<std::string>& value,
                  const TSetter<std::vector<std::string>>&) override {
        Add(name, value);
    }
    void Object(std::string_view name, const TNestedProperties& visitNested) override {
        const size_t prefixLength = prefix_.size();
        prefix_.append(name).append(".");
        visitNested(*this);
        prefix_.resize(prefixLength);
    }
    void Object(std::string_view name, TPersistent& object) override { Add(name, &std::as_const(object)); }

private:
    void Add(std::string_view name, TValue value) {
        entries.push_back({prefix_ + std::string(name), std::move(value)});
    }

    std::string prefix_;
};

// Sets an object's properties from a snapshot of an object with the same shape, in order.
class TSnapshotApplier : public TPropertyVisitor {
public:
    explicit TSnapshotApplier(std::vector<TEntry> entries) : entries_(std::move(entries)) {}

    void Boolean(std::string_view, bool, const TSetter<bool>& set) override { set(Take<bool>()); }
    void Integer(std::string_view, int64_t, int64_t, int64_t, const TSetter<int64_t>& set) override {
        set(Take<int64_t>());
    }
    void Number(std::string_view, double, const TSetter<double>& set) override { set(Take<double>()); }
    void Enumeration(std::string_view, int, TValueNames, const TSetter<int>& set) override {
        set(static_cast<int>(Take<int64_t>()));
    }
    void Flags(std::string_view, uint32_t, TValueNames, const TSetter<uint32_t>& set) override {
        set(static_cast<uint32_t>(Take<int64_t>()));
    }
    void Text(std::string_view, const std::string&, const TSetter<std::string>& set) override {
        set(Take<std::string>());
    }
    void TextList(std::string_view, const std::vector<std::string>&,
                  const TSetter<std::vector<std::string>>& set) override {
        set(Take<std::vector<std::string>>());
    }
    void Object(std::string_view, const TNestedProperties& visitNested) override { visitNested(*this); }
    void Object(std::string_view, TPersistent& object) override {
        object.Assign(*Take<const TPersistent*>());
    }

private:
    template <class T> T Take() { return std::get<T>(std::move(entries_.at(next_++).value)); }

    std::vector<TEntry> entries_;
    size_t next_ = 0;
};

bool SameShape(const std::vector<TEntry>& a, const std::vector<TEntry>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].path != b[i].path || a[i].value.index() != b[i].value.index()) {
            return false;
        }
    }
    return true;
}

bool EqualEntries(const TEntry& a, const TEntry& b) {
    if (const auto* object = std::get_if<const TPersistent*>(&a.value)) {
        return (*object)->Equals(*std::get<const TPersistent*>(b.value));
    }
    return a.value == b.value;
}

} // namespace

void TPersistent::Assign(const TPersistent& source) {
    std::vector<TEntry> values = TSnapshot(source).entries;
    if (!SameShape(TSnapshot(*this).entries, values)) {
        throw EConvertError("Cannot assign objects with different properties");
    }
    TSnapshotApplier applier(std::move(values));
    VisitProperties(applier);
}

bool TPersistent::Equals(const TPersistent& other) const {
    const std::vector<TEntry> mine = TSnapshot(*this).entries;
    const std::vector<TEntry> theirs = TSnapshot(other).entries;
    if (!SameShape(mine, theirs)) {
        return false;
    }
    for (size_t i = 0; i < mine.size(); ++i) {
        if (!EqualEntries(mine[i], theirs[i])) {
            return false;
        }
    }
    return true;
}

void TPropertyVisitor::Object(std::string_view name, TPersistent& object) {
    Object(name, [&object](TPropertyVisitor& visitor) { object.VisitProperties(visitor); });
}

void TPropertyVisitor::Field(std::string_view name, bool& field) {
    Boolean(name, field, [&field](bool value) { field = value; });
}

void TPropertyVisitor::FlagsField(std::string_view name, uint32_t& field, TValueNames names) {
    Flags(name, field, names, [&field](uint32_t value) { field = value; });
}

void TPropertyVisitor::Field(std::string_view name, std::string& field) {
    Text(name, field, [&field](std::string value) { field = std::move(value); });
}

} // namespace klt
