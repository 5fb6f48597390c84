#include "cli/FileBatch.h"

#include <cstdio>
#include <exception>

#include "cli/JsonOutput.h"
#include "cli/ProgressBar.h"
#include "cli/TerminalText.h"

namespace klt::cli {

int ProcessFiles(const std::vector<std::string>& sources, const std::string& key, bool asJson,
                 const std::function<std::string(const std::string&)>& process) {
    TJson done = TJson::array();
    TJson errors = TJson::array();
    TProgressLine progress("Files");
    for (size_t i = 0; i < sources.size(); ++i) {
        const std::string& source = sources[i];
        progress.Show(i, sources.size());
        try {
            const std::string path = process(source);
            progress.Clear();
            done.push_back({{"source", source}, {"path", path}});
            if (!asJson) {
                std::printf("%s -> %s\n", Printable(source).c_str(), Printable(path).c_str());
            }
        } catch (const std::exception& e) {
            progress.Clear();
            errors.push_back({{"source", source}, {"message", e.what()}});
            if (!asJson) {
                std::fprintf(stderr, "%s\n", PrintableLines(e.what()).c_str());
            }
        }
    }
    if (asJson) {
        PrintJson({{key, done}, {"errors", errors}});
    }
    return errors.empty() ? 0 : 1;
}

} // namespace klt::cli
