#include "core/Exceptions.h"
#include "core/HrmImport.h"
#include "core/TextImport.h"

namespace klt {

void ImportTextTraining(TKLTFile&, std::string_view) { throw Exception("not available yet"); }

void ImportHrmTraining(TKLTFile&, std::string_view, bool) { throw Exception("not available yet"); }

} // namespace klt
