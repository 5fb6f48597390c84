#pragma once
// Objects with published properties. Each class lists its properties once, in stream order, to a
// visitor; copying, comparing, writing and reading the settings files are visitors over that list.
#include <cstdint>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace klt {

class TPropertyVisitor;

class TPersistent {
public:
    virtual ~TPersistent() = default;

    // Names every published property, in stream order, with its value and how to change it.
    virtual void VisitProperties(TPropertyVisitor& visitor) = 0;

    // Copies every property of a source with the same properties (EConvertError otherwise); nested
    // objects are copied by their own Assign. Classes owning more than their properties add it.
    virtual void Assign(const TPersistent& source);
    // Whether every property equals the other's.
    virtual bool Equals(const TPersistent& other) const;

protected:
    TPersistent() = default;
    TPersistent(const TPersistent&) = default;
    TPersistent& operator=(const TPersistent&) = default;
};

// Names of enumeration values (by ordinal) or of set members (by bit number).
using TValueNames = std::span<const std::string_view>;

class TPropertyVisitor {
public:
    template <class T> using TSetter = std::function<void(T)>;
    using TNestedProperties = std::function<void(TPropertyVisitor&)>;

    virtual ~TPropertyVisitor() = default;

    virtual void Boolean(std::string_view name, bool value, const TSetter<bool>& set) = 0;
    // A whole number that is only valid within minimum…maximum.
    virtual void Integer(std::string_view name, int64_t value, int64_t minimum, int64_t maximum,
                         const TSetter<int64_t>& set) = 0;
    // A finite floating-point number.
    virtual void Number(std::string_view name, double value, const TSetter<double>& set) = 0;
    // An ordinal into names.
    virtual void Enumeration(std::string_view name, int value, TValueNames names,
                             const TSetter<int>& set) = 0;
    // Bit i set means names[i] is a member.
    virtual void Flags(std::string_view name, uint32_t value, TValueNames names,
                       const TSetter<uint32_t>& set) = 0;
    virtual void Text(std::string_view name, const std::string& value, const TSetter<std::string>& set) = 0;
    virtual void TextList(std::string_view name, const std::vector<std::string>& value,
                          const TSetter<std::vector<std::string>>& set) = 0;
    // An owned object whose properties are listed by visitNested.
    virtual void Object(std::string_view name, const TNestedProperties& visitNested) = 0;
    // An owned persistent object; visitors that copy or compare use its own Assign and Equals.
    virtual void Object(std::string_view name, TPersistent& object);

    // Shorthands for properties that are plain fields.
    void Field(std::string_view name, bool& field);
    void Field(std::string_view name, std::string& field);
    void FlagsField(std::string_view name, uint32_t& field, TValueNames names);
    template <class Int>
    requires(std::is_integral_v<Int> && (sizeof(Int) < sizeof(int64_t) || std::is_signed_v<Int>)) void Field(
        std::string_view name, Int& field, int64_t minimum = std::numeric_limits<Int>::min(),
        int64_t maximum = std::numeric_limits<Int>::max()) {
        Integer(name, field, minimum, maximum, [&field](int64_t value) { field = static_cast<Int>(value); });
    }
    template <class Enum>
    requires std::is_enum_v<Enum>
    void Field(std::string_view name, Enum& field, TValueNames names) {
        Enumeration(name, static_cast<int>(field), names,
                    [&field](int value) { field = static_cast<Enum>(value); });
    }
};

} // namespace klt
