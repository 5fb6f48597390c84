#pragma once
// What a download into the training database achieved, for every generation alike.
#include <algorithm>
#include <string>
#include <vector>

namespace klt {

struct TDownloadResult {
    std::vector<std::string> files;      // saved and read back, in download order
    int skippedKnown = 0;                // trainings the database holds already, not saved again
    std::vector<std::string> errors;     // one message per training that could not be saved
    std::vector<std::string> incomplete; // why the head unit must keep its memory

    // The head unit's memory may be cleared only when everything it holds is saved.
    bool Complete() const { return incomplete.empty(); }
    // A reason the memory must stay, once.
    void Incomplete(const std::string& reason) {
        if (std::find(incomplete.begin(), incomplete.end(), reason) == incomplete.end()) {
            incomplete.push_back(reason);
        }
    }
    void FailedSave(const std::string& error) {
        errors.push_back(error);
        Incomplete(error);
    }
    // Another part of the same download (the trainings of a register head unit, saved later).
    void Add(const TDownloadResult& more) {
        files.insert(files.end(), more.files.begin(), more.files.end());
        skippedKnown += more.skippedKnown;
        errors.insert(errors.end(), more.errors.begin(), more.errors.end());
        for (const std::string& reason : more.incomplete) {
            Incomplete(reason);
        }
    }
};

} // namespace klt
