#pragma once
// The common shape of the live-mode option sets: defaults, and reading and writing their element
// of the online options file. Comparing and copying are each set's own SameAs and AssignFrom.
#include <initializer_list>
#include <string_view>

#include "core/ProfileText.h"
#include "online/OnlineOptionFile.h"

namespace klt {

class TOnlineOptionSet {
public:
    virtual ~TOnlineOptionSet() = default;

    virtual void SetDefaults() = 0;
    // Reads the set's element; the reader stands after the line with its opening tag. A line the
    // set does not know resets the set to its defaults and skips the rest of its element, so that
    // the other sets keep what they read. Throws EInOutError when the text ends first.
    void LoadSet(TOnlineOptionReader& reader);
    // Writes the element, opening and closing tag included.
    void SaveSet(TOnlineOptionWriter& writer) const;

    // No members of its own: lets each set compare field by field with `= default`.
    bool operator==(const TOnlineOptionSet&) const = default;

    // The element's tag name, as in "<BrakeOptionSet>".
    virtual std::string_view Tag() const = 0;

protected:
    TOnlineOptionSet() = default;
    TOnlineOptionSet(const TOnlineOptionSet&) = default;
    TOnlineOptionSet& operator=(const TOnlineOptionSet&) = default;
    // What every variable line of the set holds; a line without it and no key is a format error.
    virtual std::string_view VariableMarker() const { return "<Variable "; }
    // Takes the value of one of the set's keys; false for a name that is none of them.
    virtual bool ReadVariable(const TProfileVariable& variable) = 0;
    // Reads a child element whose opening tag the line holds; false when it holds none.
    virtual bool ReadChild(std::string_view line, TOnlineOptionReader& reader);

    // The variables and children between the tags.
    virtual void WriteContent(TOnlineOptionWriter& writer) const = 0;
    // Called before the first line and at the closing tag, for values that only make sense
    // together.
    virtual void LoadStarted() {}
    virtual void LoadFinished() {}
};

// Reads the child element whose opening tag the line holds; false when it holds none of theirs.
bool LoadChildOpenedBy(std::string_view line, TOnlineOptionReader& reader,
                       std::initializer_list<TOnlineOptionSet*> children);

} // namespace klt
