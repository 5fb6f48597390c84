#pragma once
// The page layout of printed diagrams and how they are drawn there.
#include <cstdint>

#include "app/GraphicData.h"
#include "core/Persistent.h"

namespace klt {

class TPrinterData : public TPersistent {
public:
    static constexpr int32_t kPortrait = 0;
    static constexpr int32_t kLandscape = 1;

    void SetToDefaults() { *this = TPrinterData(); }
    void VisitProperties(TPropertyVisitor& visitor) override;

    // The printed area in 1/10 mm from the paper's top left corner; the defaults leave 2 cm margins
    // on landscape A4.
    int32_t Orientation = kLandscape;
    int32_t Left = 200;
    int32_t Top = 200;
    int32_t Width = 2570;
    int32_t Height = 1700;
    TKLTGraphicData KLTGraphicData;
};

} // namespace klt
