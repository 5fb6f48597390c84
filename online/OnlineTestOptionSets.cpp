#include "online/OnlineTestOptionSets.h"

#include <array>

#include "core/IgnoreCase.h"
#include "online/OnlineOptionKeys.h"

namespace klt {
namespace {

constexpr std::array<TOptionKey<TUser>, 3> kUserKeys = {{
    {"Username", &TUser::Username},
    {"Weight", &TUser::Weight},
    {"Height", &TUser::Height},
}};

} // namespace

bool TUser::ReadVariable(const TProfileVariable& variable) {
    return ReadOptionKey<TUser>(kUserKeys, *this, variable);
}

void TUser::WriteContent(TOnlineOptionWriter& writer) const {
    WriteOptionKeys<TUser>(kUserKeys, *this, writer);
}

bool TOpenEndTestOptionSet::ReadVariable(const TProfileVariable& variable) {
    if (variable.name != "CurrentUser") {
        return false;
    }
    CurrentUser = variable.value;
    return true;
}

bool TOpenEndTestOptionSet::ReadChild(std::string_view line, TOnlineOptionReader& reader) {
    return LoadChildOpenedBy(line, reader, {&UserNameList});
}

void TOpenEndTestOptionSet::WriteContent(TOnlineOptionWriter& writer) const {
    UserNameList.SaveSet(writer);
    writer.Text("CurrentUser", CurrentUser);
}

bool TShortTestOptionSet::ReadVariable(const TProfileVariable& variable) {
    if (variable.name != "Time") {
        return false;
    }
    Time = ProfileInteger32(variable.value);
    return true;
}

void TShortTestOptionSet::WriteContent(TOnlineOptionWriter& writer) const {
    writer.Integer("Time", Time);
}

void TCurrentUser::Select(const TOpenEndTestOptionSet& set) {
    for (const TUser& user : set.UserNameList.Items()) {
        if (EqualsIgnoringCase(user.Username, set.CurrentUser)) {
            static_cast<TUser&>(*this) = user;
            return;
        }
    }
    static_cast<TUser&>(*this) = TUser();
    Username = set.CurrentUser;
}

} // namespace klt
