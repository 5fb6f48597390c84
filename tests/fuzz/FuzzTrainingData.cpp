// Any bytes as a training file for the training data module: reading must fail cleanly, and what
// it reads, written as KLT7 and read by the document object, must be what the document object
// reads from the same bytes.
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "core/Exceptions.h"
#include "tests/fuzz/FuzzSupport.h"
#include "core/KLTFile.h"
#include "core/TrainingDataUnit.h"

namespace {

using klt::fuzz::Check;

bool ReadDocument(klt::TKLTFile& file) {
    try {
        file.ReadFile();
        return true;
    } catch (const klt::Exception&) {
        return false;
    }
}

// What a sample means; the document keeps the upper half of the speed field as read, and a
// writer stores the sign-extended speed there instead.
std::array<int, klt::TData::kChannelCount> Values(const klt::TSampleElement& e) {
    return {e.StoredPower(), e.StoredHeartRate(), e.StoredCadence(),
            e.Speed(),       e.Altitude(),        e.Temperature()};
}

void CheckSameSamples(const klt::TTrainingData& data, const klt::TKLTFile& file) {
    Check(data.SampleCount() == file.SampleCount());
    for (int i = 0; i < data.SampleCount(); ++i) {
        const auto expected = Values(file.Sample(i + 1));
        for (int channel = 0; channel < klt::TData::kChannelCount; ++channel) {
            Check(data.Sample(i).Value(channel) == expected[static_cast<size_t>(channel)]);
        }
    }
}

void CheckSame(const klt::TKLTFile& a, const klt::TKLTFile& b) {
    Check(a.SampleCount() == b.SampleCount());
    for (int i = 1; i <= a.SampleCount(); ++i) {
        Check(Values(a.Sample(i)) == Values(b.Sample(i)));
    }
    Check(a.MarkerCount() == b.MarkerCount());
    // Converting a file before version 5 pulls marker ends back, so markers 3..3 and 3..4 both
    // become 3..3. The document keeps one of them by its sorted order, a file written by the
    // module lists them in the file's order, so the name kept may differ; the ranges never do.
    const bool namesComparable = !klt::IsOldVersion(a.Header().Version());
    for (int i = 0; i < a.MarkerCount(); ++i) {
        Check(a.Marker(i).first == b.Marker(i).first && a.Marker(i).last == b.Marker(i).last);
        Check(a.Marker(i).name == b.Marker(i).name || (i > 0 && !namesComparable));
    }
    Check(a.Blocks() == b.Blocks());
    Check(a.Comment() == b.Comment());
    Check(a.Interval() == b.Interval());
    Check(a.Header().date == b.Header().date);
    Check(a.ExtraHeader() == b.ExtraHeader());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string input = klt::fuzz::TempPath("training-data", "in");
    static const std::string output = klt::fuzz::TempPath("training-data", "out");
    if (!klt::fuzz::WriteInput(input, data, size)) {
        return 0;
    }

    klt::TTrainingData training;
    klt::TKLTFile direct(input);
    const bool directRead = ReadDocument(direct);
    if (directRead && klt::fuzz::MostlyMissingSamples(direct.SampleCount(), size)) {
        return 0;
    }
    try {
        training.ReadTraining(input);
    } catch (const klt::Exception&) {
        Check(training.SampleCount() == 0 && training.Markers().empty());
        Check(!directRead); // both models refuse the same files
        return 0;
    }
    // The document refuses a training without samples; the module takes it.
    Check(directRead == (training.SampleCount() > 0));
    if (!directRead) {
        return 0;
    }
    CheckSameSamples(training, direct);

    training.WriteTraining(output);
    klt::TKLTFile viaModule(output);
    Check(ReadDocument(viaModule));
    CheckSame(direct, viaModule);
    return 0;
}
