#pragma once
// A download's sink in memory: the trainings it was given, a database of trainings held before,
// saves that fail on demand, and everything the download told or asked.
#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Exceptions.h"
#include "core/TrainingDataUnit.h"
#include "device/DownloadSink.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt::test {

class TFakeDownloadSink : public IDownloadSink {
public:
    struct THeld {
        std::string initials;
        uint16_t day = 0;
        TStoredTraining training;
    };

    // The trainings saved, by path, in the order they were saved.
    std::vector<std::pair<std::string, TTrainingData>> saved;
    std::vector<THeld> held;           // in the database before the download
    std::vector<std::string> removed;  // paths taken back
    std::function<bool(const TTrainingData&)> failSave; // true: the save fails
    std::function<void(std::vector<TSectionChoice>&)> choose;
    std::function<bool()> abort;
    std::vector<int> progress;
    std::vector<int64_t> remaining;
    int queries = 0;
    TScriptedPrompt prompt;

    // Holds a training of these initials on `day` from `startTime` of `samples` samples that ends at
    // `endTime` (hundredths; one second a sample without pauses when not given).
    void Hold(const std::string& initials, uint16_t day, int32_t startTime, int samples, int64_t endTime = -1) {
        held.push_back({initials, day, {startTime, endTime < 0 ? startTime + int64_t{samples} * 100 : endTime, samples}});
    }
    const TTrainingData& Training(size_t index) const { return saved.at(index).second; }
    const TTrainingData* Find(const std::string& path) const {
        const auto found = std::find_if(saved.begin(), saved.end(), [&](const auto& s) { return s.first == path; });
        return found == saved.end() ? nullptr : &found->second;
    }

    std::optional<TStoredTraining> StoredTraining(const std::string& initials, uint16_t day, int32_t fromTime,
                                                  int32_t toTime) override {
        ++queries;
        std::optional<TStoredTraining> earliest;
        auto consider = [&](const std::string& who, uint16_t when, const TStoredTraining& training) {
            if (who == initials && when == day && training.startTime >= fromTime && training.startTime <= toTime &&
                (!earliest || training.startTime < earliest->startTime)) {
                earliest = training;
            }
        };
        for (const THeld& h : held) {
            consider(h.initials, h.day, h.training);
        }
        for (const auto& [path, data] : saved) {
            const TBlock& first = data.Blocks().front();
            const TBlock& last = data.Blocks().back();
            const auto interval = static_cast<int64_t>(data.IntervalSeconds() * 100 + 0.5);
            consider(data.Markers().front().name, data.Header().date,
                     {static_cast<int32_t>(first.start), last.start + last.count * interval, data.SampleCount()});
        }
        return earliest;
    }
    std::string SaveTraining(const TTrainingData& training) override {
        if (failSave && failSave(training)) {
            throw EKLTFileInOutError("'training " + std::to_string(saved.size() + removed.size()) +
                                     "': cannot be saved");
        }
        const std::string path = "training " + std::to_string(saved.size() + removed.size());
        saved.emplace_back(path, training);
        return path;
    }
    void RemoveTraining(const std::string& path) override {
        removed.push_back(path);
        std::erase_if(saved, [&](const auto& s) { return s.first == path; });
    }
    IPrompt& UserPrompt() override { return prompt; }
    void ChooseTrainings(std::vector<TSectionChoice>& choices) override {
        if (choose) {
            choose(choices);
        }
    }
    void Progress(int percent) override { progress.push_back(percent); }
    void RemainingTime(int64_t hundredths) override { remaining.push_back(hundredths); }
    bool AbortRequested() override { return abort && abort(); }
};

} // namespace klt::test
