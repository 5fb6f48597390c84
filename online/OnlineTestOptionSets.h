#pragma once
// The options of the open-end and short tests: the test persons and the one chosen.
#include <cstdint>
#include <string>

#include "online/OnlineOptionList.h"
#include "online/OnlineOptionSet.h"

namespace klt {

class TUser : public TOnlineOptionSet {
public:
    std::string Username;
    int32_t Weight = 0;
    int32_t Height = 0;

    void SetDefaults() override { *this = TUser(); }
    bool operator==(const TUser&) const = default;
    std::string_view Tag() const override { return "User"; }

protected:
    std::string_view VariableMarker() const override { return "Variable"; }
    bool ReadVariable(const TProfileVariable& variable) override;
    void WriteContent(TOnlineOptionWriter& writer) const override;
};

class TOpenEndTestOptionSet : public TOnlineOptionSet {
public:
    TOnlineOptionList<TUser> UserNameList{"UserNameList"};
    std::string CurrentUser; // a user's name

    void SetDefaults() override { *this = TOpenEndTestOptionSet(); }
    bool SameAs(const TOpenEndTestOptionSet& other) const { return *this == other; }
    void AssignFrom(const TOpenEndTestOptionSet& other) { *this = other; }
    bool operator==(const TOpenEndTestOptionSet&) const = default;
    std::string_view Tag() const override { return "OpenEndTestOptionSet"; }

protected:
    std::string_view VariableMarker() const override { return "Variable"; }
    bool ReadVariable(const TProfileVariable& variable) override;
    bool ReadChild(std::string_view line, TOnlineOptionReader& reader) override;
    void WriteContent(TOnlineOptionWriter& writer) const override;
};

// Only "Time" is stored for the short test.
class TShortTestOptionSet : public TOpenEndTestOptionSet {
public:
    int32_t Time = 100; // 1/100 s; the live window's preset end time is Time x 10 ms

    void SetDefaults() override { *this = TShortTestOptionSet(); }
    bool SameAs(const TShortTestOptionSet& other) const { return *this == other; }
    void AssignFrom(const TShortTestOptionSet& other) { *this = other; }
    bool operator==(const TShortTestOptionSet&) const = default;
    std::string_view Tag() const override { return "ShortTestOptionSet"; }

protected:
    bool ReadVariable(const TProfileVariable& variable) override;
    void WriteContent(TOnlineOptionWriter& writer) const override;
};

// The person a live test runs for.
class TCurrentUser : public TUser {
public:
    // The user the set names as current (names compared without case), or one of that name alone.
    void Select(const TOpenEndTestOptionSet& set);
};

} // namespace klt
