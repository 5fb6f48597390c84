#include <sys/stat.h>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "core/Exceptions.h"

namespace klt::cli {

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

namespace {

struct TConvertOptions {
    std::string in, out;
    std::string format = "klt7";
};

int RunConvert(const TConvertOptions& options) {
    const std::string& in = options.in;
    const std::string& out = options.out;
    if (SameFile(in, out)) {
        throw Exception("'" + out + "': the output would overwrite the input");
    }
    TKLTFile file;
    LoadTraining(file, in);
    if (options.format == "klt7") {
        file.WriteKLT7(out, TDateTimeMark::None());
    } else {
        file.WriteKLT6(out, TDateTimeMark::None());
    }
    return 0;
}

} // namespace

void AddConvertCommand(CLI::App& klt, TCommandRun& selected) {
    auto options = std::make_shared<TConvertOptions>();
    CLI::App& convert = *klt.add_subcommand("convert", "write the training in another format");
    convert.add_option("IN", options->in, "the training file")->required();
    convert.add_option("OUT", options->out, "the file to write")->required();
    convert.add_option("--format", options->format, "klt7 (the default) or klt6")
        ->check(CLI::IsMember({"klt7", "klt6"}));
    RunWhenSelected(convert, selected, [options] { return RunConvert(*options); });
}

} // namespace klt::cli
