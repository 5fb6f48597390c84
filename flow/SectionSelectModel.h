#pragma once
// The choice of the trainings a generation VI or 7 head unit offers ("Read memory...."): a check
// list with one line per training, all ticked at first.
#include <string>
#include <string_view>
#include <vector>

#include "device/usb/VeltrakVI.h"

namespace klt {

inline constexpr std::string_view kSectionSelectCaption = "Read memory....";

class TTrainingStatusInformationSelectModel {
public:
    // The header section over the ticks; clicking it unticks every line.
    static constexpr std::string_view kUncheckAllSection = "x";

    // Works on the list the download offers; every line starts ticked.
    explicit TTrainingStatusInformationSelectModel(std::vector<TSectionChoice>& choices);

    size_t Count() const { return choices_.size(); }
    const std::string& Line(size_t index) const { return choices_.at(index).line; }
    bool Checked(size_t index) const { return choices_.at(index).chosen; }
    void SetChecked(size_t index, bool checked) { choices_.at(index).chosen = checked; }
    void HeaderClicked(std::string_view section);
    // Cancelling reads nothing.
    void Cancel();

private:
    std::vector<TSectionChoice>& choices_;
};

} // namespace klt
