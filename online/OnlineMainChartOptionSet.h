#pragma once
// The live chart: how much time it shows and the scales of its curves.
#include <array>
#include <cstdint>

#include "core/MesswertSkala.h"
#include "online/OnlineOptionSet.h"

namespace klt {

// One scale of the chart with the range a reset gives it. Its element holds "Enabled", "Minimum"
// and "Maximum", the range in whole display units.
class TOnlineSkalaOption : public TOnlineOptionSet {
public:
    TOnlineSkalaOption(std::string_view tag, TMesswertArtType kind, bool enabled, int minimum, int maximum);
    TOnlineSkalaOption(const TOnlineSkalaOption& other);
    TOnlineSkalaOption& operator=(const TOnlineSkalaOption& other);
    bool operator==(const TOnlineSkalaOption& other) const { return Skala.Equals(other.Skala); }

    TMesswertSkala Skala;

    void SetDefaults() override { Skala.SetDisplayRange(enabled_, maximum_, minimum_); }
    std::string_view Tag() const override { return tag_; }

protected:
    bool ReadVariable(const TProfileVariable& variable) override;
    void WriteContent(TOnlineOptionWriter& writer) const override;
    void LoadStarted() override { read_ = Shown(); }
    void LoadFinished() override { Skala.SetDisplayRange(read_.enabled, read_.maximum, read_.minimum); }

private:
    struct TRange {
        bool enabled;
        int32_t minimum;
        int32_t maximum;
    };
    TRange Shown() const;

    std::string_view tag_;
    bool enabled_;
    int minimum_;
    int maximum_;
    TRange read_{}; // what the element read so far
};

class TOnlineMainChartOptionSet : public TOnlineOptionSet {
public:
    static constexpr int32_t kMinimumTime = 500;

    int32_t TimeScaleMode = 0; // 0 the whole test, 1 the last "Time"
    // The time shown with TimeScaleMode 1, in 1/100 s; never below 5 s.
    int32_t Time() const { return time_; }
    void SetTime(int32_t time);

    TOnlineSkalaOption PowerSkala{"PowerSkala", mwaLeistung, true, 0, 400};
    TOnlineSkalaOption HeartRateSkala{"HeartRateSkala", mwaHerzfrequenz, true, 0, 200};
    TOnlineSkalaOption CadenceSkala{"CadenceSkala", mwaTretfrequenz, true, 0, 200};
    TOnlineSkalaOption SpeedSkala{"SpeedSkala", mwaGeschwindigkeit, false, 0, 400};
    TOnlineSkalaOption HRVarianceSkala{"HRVarianceSkala", mwaLeistung, true, 0, 100};

    // Resets the scales; the time settings stay.
    void SetDefaults() override;
    bool SameAs(const TOnlineMainChartOptionSet& other) const { return *this == other; }
    void AssignFrom(const TOnlineMainChartOptionSet& other) { *this = other; }
    bool operator==(const TOnlineMainChartOptionSet&) const = default;
    std::string_view Tag() const override { return "OnlineMainChartOptionSet"; }

protected:
    bool ReadVariable(const TProfileVariable& variable) override;
    bool ReadChild(std::string_view line, TOnlineOptionReader& reader) override;
    void WriteContent(TOnlineOptionWriter& writer) const override;

private:
    // The scales in the order of the file.
    template <typename TSelf> static auto Scales(TSelf& self) {
        return std::array{&self.PowerSkala, &self.HeartRateSkala, &self.CadenceSkala, &self.HRVarianceSkala,
                          &self.SpeedSkala};
    }

    int32_t time_ = kMinimumTime;
};

} // namespace klt
