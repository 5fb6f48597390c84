#pragma once
// Column text of a whole training or one marker: three header lines, then one line per sample in
// the user's current display units. `ImportTextTraining` reads it back.
#include <string>

#include "core/KLTFile.h"

namespace klt {

enum class TTextExportForm { Basic, Extended };

// ".txt" for the whole training (marker 0), ".$" and two hexadecimal digits for marker N.
std::string TextExportExtension(int markerIndex);

// The text of marker `markerIndex` (0: the whole training). ERangeError for an unknown marker.
std::string TrainingText(const TKLTFile& file, int markerIndex, TTextExportForm form);

// Writes that text to `path` (replaced atomically). The training itself is not touched, so its
// modification stamp stays as it was.
void ExportTrainingText(const TKLTFile& file, int markerIndex, TTextExportForm form, const std::string& path);

} // namespace klt
