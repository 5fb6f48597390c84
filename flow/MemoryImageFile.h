#pragma once
// A head unit's memory image kept as a file (a ".kli" backup or an ".img"): kept when a download
// could not save every training, read back, its trainings listed and saved into the database.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Prompt.h"
#include "device/DownloadResult.h"
#include "device/DownloadSink.h"
#include "device/VeltrakImage.h"

namespace klt {

class TSystemData;

// The training detection thresholds of the configuration.
TVeltrakTrainingLimits TrainingLimits(const TSystemData& system);

// Keeps an image that holds memory in "KLTIMAGE" below the database and tells the user where; a
// backup that cannot be written is told too. The path of the backup, or none.
std::optional<std::string> KeepMemoryImage(const TVeltrakImage& image, const std::string& databaseDir, IPrompt& prompt);

// One training of the image as it would become a training file.
struct TImageTraining {
    std::string initials;
    uint16_t date = 0;
    int32_t startTime = 0; // hundredths of the day
    int64_t duration = 0;  // hundredths, from the first sample to the end of the last
    int samples = 0;
    int segments = 0; // recording blocks joined into the training
};

class TMemoryImageFile {
public:
    // Loads and parses the file; a range error in the memory goes to `handler` with the trainings
    // found before it kept. Throws Exception when the file is no memory image.
    TMemoryImageFile(const std::string& path, const TVeltrakTrainingLimits& limits,
                     const TVeltrakImage::TExceptionHandler& handler);

    const TVeltrakImage& Image() const { return image_; }
    std::vector<TImageTraining> Trainings() const;
    // Hands every training to the sink; the file stays as it is, so nothing needs a second backup.
    TDownloadResult Save(IDownloadSink& sink) const { return image_.CreateTrainingFiles(sink); }

private:
    TVeltrakImage image_;
};

// Opening a memory image from the main window: its trainings become training files in the
// database, each then opened with `open`. Every failure is told through `prompt` and the rest goes
// on; a file that is no memory image throws. The paths written.
std::vector<std::string> ConvertMemoryImage(const std::string& path, const TVeltrakTrainingLimits& limits,
                                            const std::string& databaseDir, IPrompt& prompt,
                                            const std::function<void(const std::string&)>& open);

} // namespace klt
