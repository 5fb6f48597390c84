#include "core/MesswertSkalaProperties.h"

namespace klt {

void SkalaProperty(TPropertyVisitor& visitor, std::string_view name, TMesswertSkala& skala) {
    visitor.Object(name, [&skala](TPropertyVisitor& properties) {
        properties.Number("Offset", skala.Offset(), [&skala](double offset) { skala.SetOffset(offset); });
        properties.Number("Bereich", skala.Bereich(),
                          [&skala](double bereich) { skala.SetBereich(bereich); });
        properties.Boolean("Visible", skala.Visible(), [&skala](bool visible) { skala.SetVisible(visible); });
    });
}

} // namespace klt
