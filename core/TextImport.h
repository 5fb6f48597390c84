#pragma once
// Column text files, as the text export writes them, read back as a training.
#include <string_view>

#include "core/KLTFile.h"

namespace klt {

// Fills `file` from the text; a bad line aborts with the file and line named, `file` unchanged.
void ImportTextTraining(TKLTFile& file, std::string_view content);

} // namespace klt
