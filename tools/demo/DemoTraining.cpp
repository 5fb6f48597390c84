// Writes the demonstration data that `make run` shows:
//   klt-demo OUT.klt             one demonstration ride
//   klt-demo --database DIR      a demonstration training database (only when DIR holds none yet)
#include <cstdio>
#include <cstring>
#include <exception>

#include "core/KLTDate.h"
#include "tools/synth/DemoDatabase.h"
#include "tools/synth/SyntheticRide.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: klt-demo OUT.klt\n       klt-demo --database DIR\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const bool database = argc == 3 && std::strcmp(argv[1], "--database") == 0;
    if (argc != 2 && !database) {
        return Usage();
    }
    try {
        const auto today = static_cast<uint16_t>(klt::TDateTimeMark::Now().days);
        if (database) {
            const auto trainings = klt::synth::EnsureDemoDatabase(argv[2], today);
            std::printf("%zu trainings in %s\n", trainings.size(), argv[2]);
            return 0;
        }
        klt::TKLTFile file(argv[1]);
        klt::synth::TRideOptions options;
        options.date = today;
        klt::synth::BuildRide(file, options);
        file.WriteKLT7(argv[1], klt::TDateTimeMark::None());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
