#pragma once
// The trainings of a generation V memory as training files.
#include <cstdint>
#include <span>

#include "device/DownloadResult.h"
#include "device/DownloadSink.h"
#include "device/genv/MemoryV.h"

namespace klt {

class TTrainingData;
class TVeltrakStatus;

// The memory keeps no year: a training lies on the latest such date not after `clockDay` (the
// head unit's clock at download; today when the clock is unknown). Feb 29 looks back to a leap year.
uint16_t TrainingDayV(const TVeltrakVBlockStart& start, uint16_t clockDay);

// Samples, their time blocks, the interval markers and the settings of `status`.
void FillTrainingV(TTrainingData& training, const TVeltrakVTraining& recorded, const TVeltrakStatus& status);

// Hands every training of a downloaded memory to the sink. Blocks that became no training, and
// trainings that could not be saved, make the result incomplete.
TDownloadResult CreateTrainingFilesV(std::span<const uint8_t> memory, std::span<const size_t> garbled,
                                     const TVeltrakStatus& status, IDownloadSink& sink);

} // namespace klt
