#include "app/OptionData.h"

namespace klt {

void TOptionData::SetToDefaults() {
    KLTGraphicType = gtSingleRow;
    GraphicData.SetToDefaults();
    ShowDiagrammEinZTrend = false;
    DiagrammEinZDetail.SetToDefaults();
    DiagrammEinZTrend.SetToDefaults();
    DiagrammMehrZ.SetToDefaults();
    ShowConconiAnalyse = false;
    KLTAnalyse.SetToDefaults();
    ConconiAnalyse.SetToDefaults();
}

void TOptionData::VisitProperties(TPropertyVisitor& visitor) {
    visitor.Field("KLTGraphicType", KLTGraphicType, KLTGraphicTypeNames);
    visitor.Object("GraphicData", GraphicData);
    visitor.Field("ShowDiagrammEinZTrend", ShowDiagrammEinZTrend);
    visitor.Object("DiagrammEinZDetail", DiagrammEinZDetail);
    visitor.Object("DiagrammEinZTrend", DiagrammEinZTrend);
    visitor.Object("DiagrammMehrZ", DiagrammMehrZ);
    visitor.Field("ShowConconiAnalyse", ShowConconiAnalyse);
    visitor.Object("KLTAnalyse", KLTAnalyse);
    visitor.Object("ConconiAnalyse", ConconiAnalyse);
}

} // namespace klt
