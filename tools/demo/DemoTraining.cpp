// Writes the demonstration data that `make run` shows:
//   klt-demo OUT.klt             one demonstration ride
//   klt-demo --database DIR      a demonstration training database (only when DIR holds none yet)
#include <cstdio>
#include <exception>
#include <string>

#include <CLI/CLI.hpp>

#include "core/KLTDate.h"
#include "tools/synth/DemoDatabase.h"
#include "tools/synth/SyntheticRide.h"

int main(int argc, char** argv) {
    CLI::App app("Writes a demonstration ride, or a demonstration training database.", "klt-demo");
    std::string out, database;
    CLI::Option* ride = app.add_option("OUT.klt", out, "the training file to write");
    app.add_option("--database", database, "make a demonstration database in DIR (when it holds none yet)")
        ->type_name("DIR")
        ->excludes(ride);
    const auto usageError = [&app](const std::string& message) {
        std::fprintf(stderr, "klt-demo: %s\n%sRun 'klt-demo --help' for more information.\n", message.c_str(),
                     CLI::Formatter().make_usage(&app, app.get_name()).c_str());
        return 2;
    };
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success) ? app.exit(e) : usageError(e.what());
    }
    if (out.empty() && database.empty()) {
        return usageError("name OUT.klt or --database DIR");
    }
    try {
        const auto today = static_cast<uint16_t>(klt::TDateTimeMark::Now().days);
        if (!database.empty()) {
            const auto trainings = klt::synth::EnsureDemoDatabase(database, today);
            std::printf("%zu trainings in %s\n", trainings.size(), database.c_str());
            return 0;
        }
        klt::TKLTFile file(out);
        klt::synth::TRideOptions options;
        options.date = today;
        klt::synth::BuildRide(file, options);
        file.WriteKLT7(out, klt::TDateTimeMark::None());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
