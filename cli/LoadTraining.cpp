#include "cli/Commands.h"
#include "core/Exceptions.h"

namespace klt::cli {

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
