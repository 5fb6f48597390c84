#pragma once
// A head unit's memory image read back from a file (a ".kli" backup or an ".img"): its trainings
// listed, and written into the training database as training files.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "device/VeltrakImage.h"

namespace klt {

class TSystemData;

// The training detection thresholds of the configuration.
TVeltrakTrainingLimits TrainingLimits(const TSystemData& system);

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
    // The file it came from keeps every record, so a failed conversion leaves no second backup.
    ~TMemoryImageFile();
    TMemoryImageFile(const TMemoryImageFile&) = delete;
    TMemoryImageFile& operator=(const TMemoryImageFile&) = delete;

    const TVeltrakImage& Image() const { return image_; }
    std::vector<TImageTraining> Trainings() const;
    // Writes every training into its place in the database; a training that fails goes to
    // `handler` and the next follows. The paths written.
    std::vector<std::string> Save(const TVeltrakImage::TExceptionHandler& handler);

private:
    TVeltrakImage image_;
};

// Opening a memory image from the main window: its trainings become training files, each then
// opened with `open`. Every failure is told through Prompt() and the rest goes on; a file that is
// no memory image throws. The paths written.
std::vector<std::string> ConvertMemoryImage(const std::string& path, const TVeltrakTrainingLimits& limits,
                                            const std::function<void(const std::string&)>& open);

} // namespace klt
