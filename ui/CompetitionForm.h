#pragma once
// The competition window: two riders racing along a track.
#include <QDialog>

#include "online/CompetitionFeed.h"

namespace klt {

class TCompetitionForm : public QDialog {
    Q_OBJECT

public:
    TCompetitionForm(const ICompetitionFeed& feed, QWidget* parent = nullptr);

signals:
    void Closed();
};

} // namespace klt
