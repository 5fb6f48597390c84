#pragma once
// The results of one demo category, kept in memory and in the category's results file.
#include <optional>
#include <string>
#include <vector>

#include "online/KLTDemoResult.h"

namespace klt {

class TKLTDemoCategoryResults {
public:
    // The results of the category whose file lies at path; nothing read yet.
    explicit TKLTDemoCategoryResults(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }
    // In the order of their places; at most 999.
    const std::vector<TKLTDemoResult>& Results() const { return results_; }

    // Reads the file; a missing one means no results. A damaged file is shown to the user and
    // kept aside as "<name>.rst.damaged" (never replacing a file), so the next result starts a
    // new one instead of overwriting it. A file that cannot be read is shown and skipped, and is
    // not written over either: until a load reads it, results are kept in memory only.
    void Load();
    // Stores the result at the next free place (the last place once all 999 are taken) and
    // rewrites the file atomically. Throws EInOutError ("Cannot open File %s" and the reason) when
    // it cannot be written; the result stays in memory and the old file as it was.
    void Add(const TKLTDemoResult& result);
    // Keeps the file as "<name>.bak" in place of an older one and drops the results. Without a
    // file the older ".bak" stays, being the only copy of earlier results. Throws EInOutError when
    // the file cannot be moved; nothing changes then.
    void Clear();

private:
    std::string BackupPath() const;
    // Moves the damaged file out of the way; its new path, nothing when no free name took it.
    std::optional<std::string> KeepAside() const;

    std::string path_;
    std::vector<TKLTDemoResult> results_;
    // Why the file must not be written: it could not be read, or not kept aside. Empty when it may.
    std::string writeBlocked_;
};

} // namespace klt
