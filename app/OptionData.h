#pragma once
// The view options of a training document: which view it shows, how it is drawn, and the settings
// of every diagram and analysis it can show. The configuration keeps the defaults for new documents.
#include "analysis/Analyse.h"
#include "analysis/Diagramm.h"
#include "analysis/KLTGraphicType.h"
#include "app/GraphicData.h"
#include "core/Persistent.h"

namespace klt {

class TOptionData : public TPersistent {
public:
    void SetToDefaults();
    void VisitProperties(TPropertyVisitor& visitor) override;

    TKLTGraphicType KLTGraphicType = gtSingleRow;
    TKLTGraphicData GraphicData;
    bool ShowDiagrammEinZTrend = false; // the one-row view shows the trend, not the detail diagram
    TKLTDiagrammEinzDetailData DiagrammEinZDetail;
    TKLTDiagrammEinzTrendData DiagrammEinZTrend;
    TKLTDiagrammMehrZData DiagrammMehrZ;
    bool ShowConconiAnalyse = false; // the analysis view shows the Conconi analysis
    TKLTAnalyseData KLTAnalyse;
    TConconiAnalyseData ConconiAnalyse;
};

} // namespace klt
