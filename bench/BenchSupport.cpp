#include "bench/BenchSupport.h"

#include <cstdlib>
#include <filesystem>

#include "tools/synth/SyntheticRide.h"

namespace klt::bench {

const std::string& BenchDir() {
    static const std::string dir = [] {
        char pattern[] = "/tmp/klt-bench-XXXXXX";
        return std::string(::mkdtemp(pattern));
    }();
    return dir;
}

void RemoveBenchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(BenchDir(), ignored);
}

const std::string& FullTrainingPath() {
    static const std::string path = [] {
        TKLTFile file;
        synth::BuildRide(file, synth::TRideOptions{});
        const int built = file.SampleCount();
        file.SetSampleCount(TKLTFile::kMaxSamples);
        for (int i = built + 1; i <= TKLTFile::kMaxSamples; ++i) {
            file.Sample(i) = file.Sample((i - 1) % built + 1);
        }
        file.Normalise();
        const std::string p = BenchDir() + "/full.klt";
        file.WriteKLT7(p, TDateTimeMark::None());
        return p;
    }();
    return path;
}

TKLTFile& FullTraining() {
    static TKLTFile file(FullTrainingPath());
    if (file.SampleCount() == 0) {
        file.ReadFile();
    }
    return file;
}

} // namespace klt::bench
