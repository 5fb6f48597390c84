#pragma once
// The options dialog without its window: a working copy of a document's options and of the
// system settings the dialog offers, written back only when the user confirms, and the texts of
// the smoothing choices.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/OptionData.h"

namespace klt {

class TSystemData;

// The system settings the options dialog edits.
struct TOptionDialogSystem {
    int unitsSPD = 0;
    int unitsTMP = 0;
    int unitsAlt = 0;
    int unitsDST = 0;
    int unitsCOW = 0;
    bool showSpeedbar = true;
    bool showStatusLine = true;
    bool defaultNewFiles = true;
    bool defaultAllFiles = true;
};

struct TSmoothingChoice {
    int32_t value; // as MaxGlaettung holds it
    std::string text;
};

class TOptionDialogModel {
public:
    TOptionDialogModel(const TOptionData& options, const TSystemData& system);

    // The copies the dialog's pages edit.
    TOptionData options;
    TOptionDialogSystem system;

    void WriteBack(TOptionData& targetOptions, TSystemData& targetSystem) const;

    // What keeps the edited options from being taken, with the page to show; none when all can
    // be taken.
    struct TProblem {
        bool conconi; // the Conconi page, else the analysis page
        std::string text;
    };
    std::optional<TProblem> Problem() const;
    // The delays of an analysis are edited in whole seconds, up to a day.
    static int DelaySeconds(int32_t hundredths) { return (hundredths + 50) / 100; }
    static int32_t DelayHundredths(int seconds) { return seconds * 100; }
    static constexpr int kMaxDelaySeconds = 86400;
    // More delays than this would keep the view busy for long.
    static constexpr int kMaxDelaysTried = 1000;

    // The smoothing steps, and `current` in its place among them when it is none of them.
    static std::vector<TSmoothingChoice> SmoothingChoices(int32_t current);
    // "none", "10 % of the shown time", "30 s", "1:30 min", "2 h".
    static std::string SmoothingText(int32_t value);
};

} // namespace klt
