#pragma once
// "Read memory....": the trainings a generation VI or 7 head unit offers, as a check list.
#include <QDialog>
#include <vector>

#include "flow/SectionSelectModel.h"

class QTreeWidget;

namespace klt {

class TTrainingStatusInformationSelect : public QDialog {
    Q_OBJECT

public:
    // Ticks in `choices` follow the list; cancelling reads nothing.
    explicit TTrainingStatusInformationSelect(std::vector<TSectionChoice>& choices, QWidget* parent = nullptr);

    void reject() override;

private:
    void ShowChecks();

    TTrainingStatusInformationSelectModel model_;
    QTreeWidget* list_;
};

} // namespace klt
