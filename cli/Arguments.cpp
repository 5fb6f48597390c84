#include "cli/Commands.h"

#include "core/Exceptions.h"

namespace klt::cli {

TArguments TArguments::Parse(const std::vector<std::string>& args, const std::set<std::string>& knownFlags,
                             const std::set<std::string>& knownOptions) {
    TArguments parsed;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            parsed.positional.push_back(arg);
        } else if (knownFlags.count(arg) != 0) {
            parsed.flags.insert(arg);
        } else if (knownOptions.count(arg) != 0) {
            if (i + 1 >= args.size()) {
                throw EUsage(arg + " needs a value");
            }
            parsed.options[arg] = args[++i];
        } else {
            throw EUsage("unknown option " + arg);
        }
    }
    return parsed;
}

void LoadTraining(TKLTFile& file, const std::string& path) {
    file.SetFileName(path);
    try {
        file.ReadFile();
    } catch (Exception& e) {
        e.SetMessage("'" + path + "': " + e.Message());
        throw;
    }
}

} // namespace klt::cli
