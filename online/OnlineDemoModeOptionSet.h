#pragma once
// The demo and competition modes: which one, and the categories riders compete in.
#include <cstdint>
#include <string>

#include "online/OnlineOptionList.h"
#include "online/OnlineOptionSet.h"

namespace klt {

class TKLTDemoCategorie : public TOnlineOptionSet {
public:
    static constexpr size_t kMaxNameChars = 70;

    const std::string& Name() const { return name_; }
    void SetName(std::string_view name); // cut to 70 characters
    int16_t Watt = 0;
    int16_t Tolerance = 0;

    void SetDefaults() override { *this = TKLTDemoCategorie(); }
    bool operator==(const TKLTDemoCategorie&) const = default;
    std::string_view Tag() const override { return "Categorie"; }

protected:
    std::string_view VariableMarker() const override { return "Variable"; }
    bool ReadVariable(const TProfileVariable& variable) override;
    void WriteContent(TOnlineOptionWriter& writer) const override;

private:
    std::string name_;
};

class TOnlineDemoModeOptionSet : public TOnlineOptionSet {
public:
    int32_t DemoMode = 0; // 0 "Steady Power", 1 "Max Power", 2 "Max Distance", 3 "Race"
    int32_t Time = 100;
    TOnlineOptionList<TKLTDemoCategorie> Categories{"Categories"};

    void SetDefaults() override { *this = TOnlineDemoModeOptionSet(); }
    bool SameAs(const TOnlineDemoModeOptionSet& other) const { return *this == other; }
    void AssignFrom(const TOnlineDemoModeOptionSet& other) { *this = other; }
    bool operator==(const TOnlineDemoModeOptionSet&) const = default;
    std::string_view Tag() const override { return "OnlineDemoModeOptionSet"; }

protected:
    std::string_view VariableMarker() const override { return "Variable"; }
    bool ReadVariable(const TProfileVariable& variable) override;
    bool ReadChild(std::string_view line, TOnlineOptionReader& reader) override;
    void WriteContent(TOnlineOptionWriter& writer) const override;
};

} // namespace klt
