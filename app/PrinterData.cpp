#include "app/PrinterData.h"

#include "core/PRMesWrt.h"

namespace klt {

void TPrinterData::VisitProperties(TPropertyVisitor& visitor) {
    const auto paperSize = static_cast<int64_t>(MesswertArt(mwaPapiermass).Maximum());
    visitor.Field("Orientation", Orientation, kPortrait, kLandscape);
    visitor.Field("Left", Left, 0, paperSize);
    visitor.Field("Top", Top, 0, paperSize);
    visitor.Field("Width", Width, 0, paperSize);
    visitor.Field("Height", Height, 0, paperSize);
    visitor.Object("KLTGraphicData", KLTGraphicData);
}

} // namespace klt
