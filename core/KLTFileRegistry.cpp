#include "core/KLTFileRegistry.h"

#include <algorithm>
#include <strings.h>
#include <unistd.h>

#include "core/FileHistory.h"

namespace klt {

TKLTFileRegistry& KLTFileRegistry() {
    static TKLTFileRegistry registry;
    return registry;
}

TKLTFile* TKLTFileRegistry::Find(const std::string& path) const {
    const std::string full = FullPath(path);
    for (const auto& file : files_) {
        if (::strcasecmp(FullPath(file->FileName()).c_str(), full.c_str()) == 0) {
            return file.get();
        }
    }
    return nullptr;
}

TKLTFile& TKLTFileRegistry::OpenTraining(const std::string& path, IKLTFileView* view) {
    TKLTFile* file = Find(path);
    if (file == nullptr) {
        Trim(kMaxObjects - 1);
        files_.push_back(std::make_unique<TKLTFile>(FullPath(path)));
        file = files_.back().get();
    } else {
        auto it = std::find_if(files_.begin(), files_.end(), [&](const auto& f) { return f.get() == file; });
        files_.splice(files_.end(), files_, it);
        if (file->useCount_ == 0 && file->ChangedOnDisk()) {
            file->Clear(); // someone else changed it: read it afresh
        }
    }
    ++file->useCount_;
    if (view != nullptr) {
        file->AddView(view);
    }
    return *file;
}

void TKLTFileRegistry::ReleaseTraining(TKLTFile& file, IKLTFileView* view) {
    if (view != nullptr) {
        file.RemoveView(view);
    }
    if (file.useCount_ > 0) {
        --file.useCount_;
    }
    if (file.useCount_ > 0) {
        return;
    }
    const bool keep = file.LoadState() == TLoadState::Loaded && ::access(file.FileName().c_str(), F_OK) == 0;
    if (keep) {
        file.SetSampleCount(0); // the header stays for lists; samples are read again when needed
        file.loadState_ = TLoadState::Requested;
        return;
    }
    files_.remove_if([&](const auto& f) { return f.get() == &file; });
}

void TKLTFileRegistry::Trim(size_t limit) {
    for (auto it = files_.begin(); it != files_.end() && files_.size() > limit;) {
        it = (*it)->useCount_ == 0 ? files_.erase(it) : std::next(it);
    }
}

} // namespace klt
