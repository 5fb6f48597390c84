#include "flow/SectionSelectModel.h"

namespace klt {

TTrainingStatusInformationSelectModel::TTrainingStatusInformationSelectModel(std::vector<TSectionChoice>& choices)
    : choices_(choices) {
    for (TSectionChoice& choice : choices_) {
        choice.chosen = true;
    }
}

void TTrainingStatusInformationSelectModel::HeaderClicked(std::string_view section) {
    if (section == kUncheckAllSection) {
        for (TSectionChoice& choice : choices_) {
            choice.chosen = false;
        }
    }
}

void TTrainingStatusInformationSelectModel::Cancel() {
    HeaderClicked(kUncheckAllSection);
}

} // namespace klt
