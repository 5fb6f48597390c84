#include "cli/ErgoProgramFile.h"

#include "core/Exceptions.h"
#include "core/Texts.h"

namespace klt::cli {

TKLTErgoFile LoadErgoProgram(const std::string& path) {
    TKLTErgoFile program = TKLTErgoFile::AtPath(path);
    if (program.Directory().empty()) {
        program.SetDirectory("./");
    }
    if (!program.Load()) {
        throw EInOutError(FormatText("Error open File %s", {path}));
    }
    return program;
}

} // namespace klt::cli
