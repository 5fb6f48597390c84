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
    std::variant<int32_t TSet::*, bool TSet::*, std::string TSet::*> member;
};

// Takes the variable into the member of the key with its name; false when no key has it.
// Integers that do not parse read as 0; a boolean is false only for "0".
template <typename TSet>
bool ReadOptionKey(std::span<const TOptionKey<TSet>> keys, TSet& set, const TProfileVariable& variable) {
    for (const TOptionKey<TSet>& key : keys) {
        if (key.name != variable.name) {
            continue;
        }
        if (auto integer = std::get_if<int32_t TSet::*>(&key.member)) {
            set.** integer = ProfileInteger32(variable.value);
        } else if (auto boolean = std::get_if<bool TSet::*>(&key.member)) {
            set.** boolean = ProfileBoolean(variable.value);
        } else {
            set.*std::get<std::string TSet::*>(key.member) = variable.value;
        }
        return true;
    }
    return false;
}

template <typename TSet>
void WriteOptionKeys(std::span<const TOptionKey<TSet>> keys, const TSet& set, TOnlineOptionWriter& writer) {
    for (const TOptionKey<TSet>& key : keys) {
        if (auto integer = std::get_if<int32_t TSet::*>(&key.member)) {
            writer.Integer(key.name, set.**integer);
        } else if (auto boolean = std::get_if<bool TSet::*>(&key.member)) {
            writer.Boolean(key.name, set.**boolean);
        } else {
            writer.Text(key.name, set.*std::get<std::string TSet::*>(key.member));
        }
    }
}

} // namespace klt
