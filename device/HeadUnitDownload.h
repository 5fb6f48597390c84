#pragma once
// The download of a head unit of any generation into the download's sink: the one place where the
// generations part ways.
#include "device/DownloadResult.h"
#include "device/DownloadSink.h"
#include "device/VeltrakImage.h"

namespace klt {

class TVeltrak;

struct TDownloadSettings {
    TVeltrakTrainingLimits limits;
    bool fahrenheit = false;  // the average temperature of a training's comment in °F
    bool wholeMemory = false; // register: every record of the memory, whatever the head unit
                              // reports; generation V: the newer download command; generations VI
                              // and 7: the trainings are offered for choice first
};

// With the head unit identified and its status read into `image`: register head units have their
// records read into the image (their trainings go to the sink when the image is converted, after
// the user saw what it holds: TVeltrakImage::CreateTrainingFiles); generation V has its blocks read
// into the image and their trainings handed over at once; generations VI and 7 are read section by
// section into the sink. The sink's abort request ends a register or generation V download with
// EVeltrakAbort and nothing handed over, a section-wise one between requests with what was
// finished kept; head-unit failures of a register download go to the retry/cancel question.
TDownloadResult DownloadTrainings(TVeltrak& veltrak, TVeltrakImage& image, IDownloadSink& sink,
                                  const TDownloadSettings& settings);

// Register head units: the records read with the whole-memory flag, whatever the head unit reports.
inline constexpr int kWholeRegisterMemoryRecords = 26038 + 7;
inline constexpr int kRecordsPerEstimate = 100;

} // namespace klt
