#pragma once
// Steps that write a training on the user's behalf, where a failure must not travel further.
#include <functional>

namespace klt {

// Runs a step that may write a training. A failure is shown to the user ("Warning") and counts as
// not done, so that whatever waited for the step (closing, a view switch) stays where it was and
// the training keeps its unsaved changes.
bool SucceedsOrReports(const std::function<bool()>& step);

} // namespace klt
