#include "ui/kltwin/WindowArguments.h"

#include <algorithm>
#include <cstdio>

#include <CLI/CLI.hpp>

namespace klt::kltwin {

bool AsksForHelp(const std::vector<std::string>& args) {
    const auto end = std::find(args.begin(), args.end(), "--");
    return std::any_of(args.begin(), end,
                       [](const std::string& arg) { return arg == "-h" || arg == "--help" || arg == "--version"; });
}

std::optional<int> ReadWindowArguments(const std::vector<std::string>& args, TWindowArguments& parsed) {
    CLI::App app("The window program of the KLT Training System.", "kltwin");
    app.set_version_flag("--version", "kltwin " KLT_VERSION);
    app.add_option("FILE", parsed.files, "trainings to open (the last one first); NoVersionCheck and "
                                         "NoFirmwareFlash silence the firmware checks");
    app.add_option("--demo", parsed.demoDir, "run on a demonstration database in DIR (made on the first run)")
        ->type_name("DIR");
    app.add_flag("--simulate", parsed.simulate, "add a simulated generation 7 head unit on USB");
    CLI::Option* maximized = app.add_flag("--maximized", parsed.maximized, "start with the window maximised");
    app.add_flag("--minimized", parsed.minimized, "start with the window minimised")->excludes(maximized);
    app.add_option("--screenshot", parsed.screenshot, "save a picture of the window after start-up and quit")
        ->type_name("PNG");
    std::vector<std::string> reversed(args.rbegin(), args.rend()); // CLI11 takes them from the back
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
            return app.exit(e);
        }
        std::fprintf(stderr, "kltwin: %s\n%sRun 'kltwin --help' for more information.\n", e.what(),
                     CLI::Formatter().make_usage(&app, app.get_name()).c_str());
        return 2;
    }
    return std::nullopt;
}

} // namespace klt::kltwin
