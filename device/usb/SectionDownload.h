#pragma once
// The section-wise download of generation VI and 7 head units into the training database: the
// sections are read one after the other (after an optional choice of trainings), continued
// sections form one training, trainings already in the database are passed over, and each
// training is written under its canonical name and read back before it counts as saved.
//
// What is never lost: a training that could not be written goes to the errors and the others
// follow; a download cut off (abort, a failing or lost link) keeps every training finished
// before the cut and saves nothing of the ride being read, so the next download reads that
// ride whole. Only a complete result lets the head unit's memory be cleared.
#include <functional>
#include <vector>

#include "device/DownloadResult.h"
#include "device/VeltrakImage.h"
#include "device/usb/RequestPort.h"
#include "device/usb/VeltrakVI.h"

namespace klt {

// Request kinds of the recording memory.
enum TSectionRequestKind : int {
    kSectionCountRequest = 29,
    kNextSectionHeaderRequest = 30,
    kSectionHeaderAgainRequest = 31,
    kNextSectionBlockRequest = 32,
    kSectionBlockAgainRequest = 33,
};

struct TSectionDownloadSettings {
    TVeltrakTrainingLimits limits; // MaxPauseTraining and MinDauerTraining count here
    bool fahrenheit = false;       // the temperature comment in °F rather than °C
};

// The training limits with the temperature unit the program shows.
TSectionDownloadSettings CurrentSectionDownloadSettings(const TVeltrakTrainingLimits& limits);

using TSectionSelection = std::function<void(std::vector<TSectionChoice>& choices)>;

struct TSectionDownloadHooks {
    TVeltrakV::TProgress progress; // percent
    TSectionSelection select;      // empty: every training is read without asking
    std::function<bool()> aborted; // asked between sections
};

// Reads the head unit's sections into the training database and counts them into `image`.
// EVeltrakComError when a section header cannot be read while the trainings are listed for the
// choice (EVeltrakAbort when aborted then), EKLTFileDatabaseError without a database; every
// later failure ends in the result (cut, errors).
TDownloadResult DownloadTrainingSections(IRequestPort& port, TVeltrakImage& image, const TSectionDownloadHooks& hooks,
                                         const TSectionDownloadSettings& settings);

} // namespace klt
