#pragma once
// The value behind an edit bound to a measurement kind: the text it shows is written with the
// separators and unit in force at that moment, so it is read back with those, even when the user
// changed either in between.
#include "core/DefinitionText.h"
#include "core/NumberFormat.h"
#include "core/PRMesWrt.h"

#include <string>

namespace klt {

class TMesswertEditValue {
public:
    explicit TMesswertEditValue(TMesswertArtType kind);

    TMesswertArtType Kind() const { return kind_; }
    void SetKind(TMesswertArtType kind);
    // Decimals shown, as FormatValue takes them (MesswertNKSt).
    int Decimals() const { return decimals_; }
    void SetDecimals(int decimals) { decimals_ = decimals; }
    // Whether thousands are grouped (MesswertTSep).
    bool WithThousands() const { return withThousands_; }
    void SetWithThousands(bool withThousands) { withThousands_ = withThousands; }
    // Accepted raw range (MesswertMin, MesswertMax).
    double Minimum() const { return minimum_; }
    void SetMinimum(double minimum) { minimum_ = minimum; }
    double Maximum() const { return maximum_; }
    void SetMaximum(double maximum) { maximum_ = maximum; }

    // The text for raw; remembers the separators and unit it was written with.
    std::string ShowValue(double raw);

    // The raw value of text as the edit last showed it. A value outside the accepted range
    // replaces text by the nearer limit and reads as that; text that is no number reads as the
    // maximum. Throws EConvertError "<name> is only valid between <low> and <high>" when no finite
    // value comes out.
    double ReadValue(std::string& text) const;

private:
    void RememberShownFormat();

    TMesswertArtType kind_;
    int decimals_ = -1;
    bool withThousands_ = false;
    double minimum_ = -UnboundedLimit;
    double maximum_ = UnboundedLimit;
    TFormatSettings shownSettings_;
    int shownUnit_ = 0;
};

} // namespace klt
