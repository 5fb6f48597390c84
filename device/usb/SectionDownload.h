#pragma once
// The section-wise download of generation VI and 7 head units: the sections are read one after the
// other (after an optional choice of trainings), continued sections form one ride, what the
// training database holds already is passed over, and every training goes to the download's sink.
//
// What is never lost: a training that could not be saved goes to the errors and its ride is read
// again next time; a download cut off (abort, a failing or lost link) keeps every ride finished
// before the cut and saves nothing of the ride being read. Every record the head unit holds either
// ends up in a saved or known training, or is a pause, or the result says why the memory must stay.
#include <cstdint>

#include "device/DownloadResult.h"
#include "device/DownloadSink.h"
#include "device/VeltrakImage.h"
#include "device/usb/RequestPort.h"

namespace klt {

// Request kinds of the recording memory.
enum TSectionRequestKind : int {
    kSectionCountRequest = 29,
    kNextSectionHeaderRequest = 30,
    kSectionHeaderAgainRequest = 31,
    kNextSectionBlockRequest = 32,
    kSectionBlockAgainRequest = 33,
};

// What the memory of a generation VI or 7 head unit holds at most, in 16-byte records.
inline constexpr uint16_t kUsbMemoryRecords = 0x68000 / 16;

struct TSectionDownloadSettings {
    TVeltrakTrainingLimits limits; // MaxPauseTraining and MinDauerTraining count here
    bool fahrenheit = false;       // the temperature comment in °F rather than °C
    bool choose = false;           // the trainings are offered for choice first
};

// Reads the head unit's sections, hands their trainings to the sink and counts them into `image`,
// whose HeapCount becomes the records the memory holds. EKLTFileDatabaseError and the like from the
// sink pass on; every failure of the head unit ends in the result.
TDownloadResult DownloadTrainingSections(IRequestPort& port, TVeltrakImage& image, IDownloadSink& sink,
                                         const TSectionDownloadSettings& settings);

} // namespace klt
