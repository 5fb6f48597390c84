#include "tools/sim/ExpectedTrainings.h"

#include "tools/sim/SimClock.h"

namespace klt::sim {
namespace {

constexpr int64_t kHundredthsPerDay = 8640000;

int Word(const TSectionRecord& record, size_t at) {
    return record[at] << 8 | record[at + 1];
}

int SignedWord(const TSectionRecord& record, size_t at) {
    return static_cast<int16_t>(static_cast<uint16_t>(Word(record, at)));
}

TExpectedSample DecodeSample(const TSectionRecord& record) {
    TExpectedSample sample;
    sample.powerWatts = Word(record, 0);
    sample.cadenceRpm = record[2];
    sample.speedMmPerS = Word(record, 3) * 100000 / 3600;
    sample.heartRateBpm = record[5];
    sample.altitudeM = SignedWord(record, 6);
    sample.temperatureTenths = SignedWord(record, 8);
    return sample;
}

bool SameRecording(const TSimSection& a, const TSimSection& b) {
    return a.intervalMs == b.intervalMs && a.settings.slope == b.settings.slope &&
           a.settings.wheel == b.settings.wheel && a.settings.initials == b.settings.initials;
}

std::string TrimmedInitials(std::string initials) {
    initials.resize(std::min<size_t>(initials.size(), 20));
    initials.erase(initials.find_last_not_of(' ') + 1);
    return initials;
}

// Walks the records as the download does, one training after another.
class TTrainingBuilder {
public:
    explicit TTrainingBuilder(std::vector<TExpectedTraining>& out) : out_(out) {}

    void StartTraining(const TSimSection& section, int64_t startSeconds, int64_t startHundredthsOfDay) {
        Finish();
        TExpectedTraining training;
        training.date = static_cast<uint16_t>(startSeconds / 86400 + kClockEpochDay);
        training.startTime = static_cast<uint32_t>(startHundredthsOfDay);
        training.intervalMs = section.intervalMs;
        training.slope = section.settings.slope;
        training.initials = TrimmedInitials(section.settings.initials);
        out_.push_back(std::move(training));
        dayStart_ = startSeconds - startHundredthsOfDay / 100;
        StartBlockAt(startHundredthsOfDay);
    }

    // A section joining the training: its records start a new time block at its own start.
    void ContinueAt(int64_t sectionStart) { StartBlockAt((sectionStart - dayStart_) * 100); }

    void Take(const TSectionRecord& record, const TSimSection& section) {
        const int intervalHundredths = section.intervalMs / 10;
        TExpectedTraining& training = out_.back();
        if (IsPauseRecord(record)) {
            ++recordsInBlock_;
            blockPending_ = true;
            return;
        }
        if (training.samples.size() == kMaxTrainingSamples) {
            const int64_t at = blockStart_ + recordsInBlock_ * intervalHundredths;
            StartTraining(section, dayStart_ + at / 100, at);
            return Take(record, section);
        }
        if (blockPending_) {
            blockStart_ += recordsInBlock_ * intervalHundredths;
            recordsInBlock_ = 0;
            blockPending_ = false;
            out_.back().blocks.push_back({static_cast<int>(training.samples.size()), 0, blockStart_});
        }
        const int index = static_cast<int>(training.samples.size());
        const bool interval = record[kSectionMarkerByte] != 0;
        if (interval && !open_) {
            training.intervals.push_back({index, index});
        } else if (!interval && open_) {
            training.intervals.back().last = index - 1;
        }
        open_ = interval;
        training.samples.push_back(DecodeSample(record));
        ++training.blocks.back().count;
        ++recordsInBlock_;
    }

    void Finish() {
        if (!out_.empty() && open_) {
            out_.back().intervals.back().last = static_cast<int>(out_.back().samples.size()) - 1;
        }
        open_ = false;
    }

private:
    void StartBlockAt(int64_t hundredths) {
        blockStart_ = hundredths;
        recordsInBlock_ = 0;
        blockPending_ = true;
    }

    std::vector<TExpectedTraining>& out_;
    int64_t dayStart_ = 0, blockStart_ = 0, recordsInBlock_ = 0;
    bool blockPending_ = true, open_ = false;
};

} // namespace

std::vector<TExpectedTraining> ExpectedTrainings(const std::vector<TSimSection>& sections,
                                                 int maxPauseHundredths) {
    std::vector<TExpectedTraining> trainings;
    TTrainingBuilder builder(trainings);
    const TSimSection* previous = nullptr;
    int64_t endHundredths = 0; // end of the current training in clock hundredths
    for (const TSimSection& section : sections) {
        if (section.impossibleDate) {
            continue;
        }
        const int64_t gap = section.start * 100 - endHundredths;
        size_t first = 0;
        if (previous != nullptr && SameRecording(*previous, section) && gap > -100 && gap < maxPauseHundredths) {
            builder.ContinueAt(section.start);
        } else {
            // A training starts with its first sample, after the pause records before it.
            while (first < section.records.size() && IsPauseRecord(section.records[first])) {
                ++first;
            }
            const int64_t start =
                section.start * 100 + static_cast<int64_t>(first) * (section.intervalMs / 10);
            builder.StartTraining(section, start / 100, start % kHundredthsPerDay);
        }
        for (size_t r = first; r < section.records.size(); ++r) {
            builder.Take(section.records[r], section);
        }
        endHundredths = section.start * 100 + static_cast<int64_t>(section.records.size()) * (section.intervalMs / 10);
        previous = &section;
    }
    builder.Finish();
    std::erase_if(trainings, [](const TExpectedTraining& t) { return t.samples.empty(); });
    return trainings;
}

std::vector<TExpectedTraining> ExpectedUsbTrainings(const TSimOptions& options, int64_t clock) {
    return ExpectedTrainings(BuildSectionMemory(options, clock));
}

} // namespace klt::sim
