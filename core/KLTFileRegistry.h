#pragma once
// Every training object the program knows, shared by the windows that show it: opening a file a
// second time gives the same object, and objects no window uses stay cached for quick reopening.
#include <list>
#include <memory>
#include <string>

#include "core/KLTFile.h"

namespace klt {

class TKLTFileRegistry {
public:
    static constexpr size_t kMaxObjects = 2000;
    static constexpr size_t kLowMemoryObjects = 100;

    // The object of `path` (found ignoring case, or created), most recently used from now on,
    // with `view` registered and counted. Does not load the file.
    TKLTFile& OpenTraining(const std::string& path, IKLTFileView* view);
    // Unregisters the view; an object no view uses any more drops its samples and, unless its
    // file still exists, goes away.
    void ReleaseTraining(TKLTFile& file, IKLTFileView* view);
    // Frees unused objects, oldest first, until at most `limit` remain.
    void Trim(size_t limit);

    // The object using `path` (ignoring case), if any.
    TKLTFile* Find(const std::string& path) const;
    size_t Count() const { return files_.size(); }
    const std::list<std::unique_ptr<TKLTFile>>& Files() const { return files_; }

private:
    std::list<std::unique_ptr<TKLTFile>> files_; // most recently used last
};

TKLTFileRegistry& KLTFileRegistry();

} // namespace klt
