#pragma once
// A set's keys listed once, in file order, with the member each one holds: reading and writing
// both walk the same list.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "core/ProfileText.h"
#include "online/OnlineOptionFile.h"

namespace klt {

template <typename TSet> struct TOptionKey {
    std::string_view name;
    std::variant<int32_t TSet::*, int16_t TSet::*, bool TSet::*, std::string TSet::*> member;
};

// A value of the file into a member: integers that do not parse or do not fit read as 0, a
// boolean is false only for "0".
inline void TakeOptionValue(int32_t& member, std::string_view text) {
    member = ProfileInteger32(text);
}
inline void TakeOptionValue(int16_t& member, std::string_view text) {
    member = static_cast<int16_t>(ProfileInteger(text, INT16_MIN, INT16_MAX));
}
inline void TakeOptionValue(bool& member, std::string_view text) {
    member = ProfileBoolean(text);
}
inline void TakeOptionValue(std::string& member, std::string_view text) {
    member = text;
}

inline void WriteOptionValue(TOnlineOptionWriter& writer, std::string_view name, int32_t value) {
    writer.Integer(name, value);
}
inline void WriteOptionValue(TOnlineOptionWriter& writer, std::string_view name, int16_t value) {
    writer.Integer(name, value);
}
inline void WriteOptionValue(TOnlineOptionWriter& writer, std::string_view name, bool value) {
    writer.Boolean(name, value);
}
inline void WriteOptionValue(TOnlineOptionWriter& writer, std::string_view name, const std::string& value) {
    writer.Text(name, value);
}

// Takes the variable into the member of the key with its name; false when no key has it.
template <typename TSet>
bool ReadOptionKey(std::span<const TOptionKey<TSet>> keys, TSet& set, const TProfileVariable& variable) {
    for (const TOptionKey<TSet>& key : keys) {
        if (key.name == variable.name) {
            std::visit([&](auto member) { TakeOptionValue(set.*member, variable.value); }, key.member);
            return true;
        }
    }
    return false;
}

template <typename TSet>
void WriteOptionKeys(std::span<const TOptionKey<TSet>> keys, const TSet& set, TOnlineOptionWriter& writer) {
    for (const TOptionKey<TSet>& key : keys) {
        std::visit([&](auto member) { WriteOptionValue(writer, key.name, set.*member); }, key.member);
    }
}

} // namespace klt
