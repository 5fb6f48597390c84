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

void CheckMarker(const TKLTFile& file, const std::string& path, int marker) {
    if (marker < 0 || marker >= file.MarkerCount()) {
        throw Exception("'" + path + "': there is no marker " + std::to_string(marker) + " (markers 0 to " +
                        std::to_string(file.MarkerCount() - 1) + ")");
    }
}

} // namespace klt::cli
