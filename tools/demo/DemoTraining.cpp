// Writes the demonstration training that `make run` shows: klt-demo OUT.klt
#include <cstdio>
#include <exception>

#include "core/KLTDate.h"
#include "tools/synth/SyntheticRide.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: klt-demo OUT.klt\n");
        return 2;
    }
    try {
        klt::TKLTFile file(argv[1]);
        klt::synth::TRideOptions options;
        options.date = static_cast<uint16_t>(klt::TDateTimeMark::Now().days);
        klt::synth::BuildRide(file, options);
        file.WriteKLT7(argv[1], klt::TDateTimeMark::None());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
