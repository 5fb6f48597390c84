#pragma once
// Collects the change announcements of several edits of a training into one, also when an edit
// throws.
#include "core/KLTFile.h"

namespace klt {

class TKLTFileUpdateScope {
public:
    explicit TKLTFileUpdateScope(TKLTFile& file) : file_(file) { file_.BeginUpdate(); }
    ~TKLTFileUpdateScope() { file_.EndUpdate(); }
    TKLTFileUpdateScope(const TKLTFileUpdateScope&) = delete;
    TKLTFileUpdateScope& operator=(const TKLTFileUpdateScope&) = delete;

private:
    TKLTFile& file_;
};

} // namespace klt
