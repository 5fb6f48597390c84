#include <sys/stat.h>

#include "cli/Commands.h"
#include "core/Exceptions.h"

namespace klt::cli {

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

int RunConvert(const std::vector<std::string>& args) {
    const TArguments parsed = TArguments::Parse(args, {}, {"--format"});
    if (parsed.positional.size() != 2) {
        throw EUsage("convert needs IN and OUT");
    }
    const std::string format = parsed.options.count("--format") ? parsed.options.at("--format") : "klt7";
    if (format != "klt7" && format != "klt6") {
        throw EUsage("--format is klt7 or klt6");
    }
    const std::string& in = parsed.positional[0];
    const std::string& out = parsed.positional[1];
    if (SameFile(in, out)) {
        throw Exception("'" + out + "': the output would overwrite the input");
    }
    TKLTFile file;
    LoadTraining(file, in);
    if (format == "klt7") {
        file.WriteKLT7(out, TDateTimeMark::None());
    } else {
        file.WriteKLT6(out, TDateTimeMark::None());
    }
    return 0;
}

} // namespace klt::cli
