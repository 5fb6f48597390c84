#include "app/ReportedFailure.h"

#include <exception>

#include "core/Prompt.h"

namespace klt {

bool SucceedsOrReports(const std::function<bool()>& step) {
    try {
        return step();
    } catch (const std::exception& e) {
        Prompt().ShowMessage("Warning", e.what());
        return false;
    }
}

} // namespace klt
