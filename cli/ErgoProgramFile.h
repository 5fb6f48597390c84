#pragma once
// The ergo program a `klt ergo` command names: a bare file name lies in the working folder.
#include <string>

#include "online/KLTErgoFile.h"

namespace klt::cli {

// Throws EInOutError with the reader's message ("Error open File %s" when it cannot be opened).
TKLTErgoFile LoadErgoProgram(const std::string& path);

} // namespace klt::cli
