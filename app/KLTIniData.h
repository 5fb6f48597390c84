#pragma once
// Everything the machine-wide configuration holds, and its text form (core/PropertyText.h):
// display, printer and analysis options, the recent files and marker names, the system settings.
#include <string>
#include <string_view>

#include "app/OptionData.h"
#include "app/PrinterData.h"
#include "app/SystemData.h"
#include "core/FileHistory.h"
#include "core/Persistent.h"

namespace klt {

class TKLTIniData : public TPersistent {
public:
    static constexpr std::string_view kClassName = "TKLTIniFile";

    TKLTIniData() = default;
    TKLTIniData(const TKLTIniData&) = delete;
    TKLTIniData& operator=(const TKLTIniData&) = delete;

    void SetToDefaults();
    void VisitProperties(TPropertyVisitor& visitor) override;

    std::string Text();
    // Takes every setting from a text form. A damaged text throws EConvertError and leaves every
    // setting at its default.
    void ReadText(std::string_view text);

    // In stream order.
    TOptionData OptionData;
    TPrinterData PrinterData;
    TFileHistory FileHistory;
    TMarkerIdentList MarkerIdentList;
    TSystemData SystemData;
};

} // namespace klt
