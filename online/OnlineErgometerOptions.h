#pragma once
// The kind of live test and the options of each kind.
#include <cstdint>

#include "online/OnlineTestOptionSets.h"
#include "online/PredefinedFileOptionSet.h"

namespace klt {

enum TErgometerMode : uint8_t {
    emPredefinedFile = 0,
    emOpenEndTest = 1,
    emDemoMode = 2,
    emCalibrationMode = 3,
    emTelemetrie = 4, // set by the window opened for telemetry; never stored
    emManual = 5,
    emError = 6, // set by the window when a mode change failed; never stored
};

class TOnlineErgometerOptions : public TOnlineOptionSet {
public:
    TErgometerMode ErgometerMode() const { return mode_; }
    // Telemetry and the error mode are passing states: the mode before them is kept as the one to
    // restore (Predefined File, when that was a passing state too) and stored in their place.
    void SetErgometerMode(TErgometerMode mode);
    // The mode the options file holds.
    TErgometerMode StoredMode() const;

    TOpenEndTestOptionSet OpenEndTestOptionSet;
    TShortTestOptionSet ShortTestOptionSet;
    TPredefinedFileOptionSet PredefinedFileOptionSet;

    void SetDefaults() override;
    bool SameAs(const TOnlineErgometerOptions& other) const { return *this == other; }
    void AssignFrom(const TOnlineErgometerOptions& other) { *this = other; }
    bool operator==(const TOnlineErgometerOptions&) const = default;
    std::string_view Tag() const override { return "OnlineErgometerOptions"; }

protected:
    std::string_view VariableMarker() const override { return "Variable"; }
    bool ReadVariable(const TProfileVariable& variable) override;
    bool ReadChild(std::string_view line, TOnlineOptionReader& reader) override;
    void WriteContent(TOnlineOptionWriter& writer) const override;

private:
    static bool Passing(TErgometerMode mode) { return mode == emTelemetrie || mode == emError; }

    TErgometerMode mode_ = emOpenEndTest;
    TErgometerMode restore_ = emPredefinedFile;
};

} // namespace klt
