#pragma once
// What a download into the training database achieved, for every generation alike.
#include <string>
#include <vector>

namespace klt {

struct TDownloadResult {
    std::vector<std::string> files;  // written and read back, in download order
    int skippedKnown = 0;            // trainings already in the database, not read again
    std::vector<std::string> errors; // one message per training that could not be saved
    bool cut = false;                // the download stopped early (abort, lost link, failure)

    // The head unit's memory may be cleared only when everything read was saved.
    bool Complete() const { return errors.empty() && !cut; }
};

} // namespace klt
