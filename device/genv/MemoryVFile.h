#pragma once
// A training of a generation V memory as a training file.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "device/DownloadedTrainingFile.h"
#include "device/genv/MemoryV.h"

namespace klt {

class TKLTFile;
class TVeltrakStatus;

// The memory keeps no year: a training lies on the latest such date not after `clockDay` (the
// head unit's clock at download; today when the clock is unknown). Feb 29 looks back to a leap year.
uint16_t TrainingDayV(const TVeltrakVBlockStart& start, uint16_t clockDay);

// Samples, one block from the start time, the interval markers and the settings of `status`.
void FillTrainingFileV(TKLTFile& file, const TVeltrakVTraining& training, const TVeltrakStatus& status);

// Writes every training of a downloaded memory into its place in the training database and returns
// the paths written. A failing training goes to the handler and the next follows.
std::vector<std::string> CreateTrainingFilesV(std::span<const uint8_t> memory, const TVeltrakStatus& status,
                                              const TDownloadExceptionHandler& handler = {});

} // namespace klt
