#include "core/TrainingIndex.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fnmatch.h>
#include <memory>
#include <sys/stat.h>

#include "core/BinaryFile.h"
#include "core/Exceptions.h"
#include "core/KLTDatabase.h"
#include "core/KLTFile.h"
#include "core/SmallFile.h"

namespace klt {
namespace {

std::string IndexPath(const std::string& monthDir) { return monthDir + "/" + std::string(kTrainingIndexName); }

// Names starting with "." are the program's temporary files and its own, never trainings.
bool IsTrainingName(const char* name) {
    return name[0] != '.' && ::fnmatch("*.klt", name, FNM_CASEFOLD) == 0;
}

TIndexEntry StatEntry(std::string name, const struct stat& st) {
    TIndexEntry entry;
    entry.name = std::move(name);
    entry.size = static_cast<uint64_t>(st.st_size);
    entry.modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return entry;
}

// Name, size and modification time of every training file of the folder, sorted by name.
std::vector<TIndexEntry> ScanMonth(const std::string& monthDir) {
    std::vector<TIndexEntry> found;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(monthDir.c_str()), ::closedir);
    if (dir == nullptr) {
        return found;
    }
    while (const dirent* item = ::readdir(dir.get())) {
        struct stat st {};
        if (IsTrainingName(item->d_name) && ::fstatat(::dirfd(dir.get()), item->d_name, &st, 0) == 0 &&
            S_ISREG(st.st_mode)) {
            found.push_back(StatEntry(item->d_name, st));
        }
    }
    std::sort(found.begin(), found.end(), [](const TIndexEntry& a, const TIndexEntry& b) { return a.name < b.name; });
    return found;
}

// Reads the file to learn what it is. Sizes and times are the ones seen before the read: should
// the file change meanwhile, the next walk sees a difference and reads it again.
void ReadEntry(const std::string& monthDir, TIndexEntry& entry) {
    entry.summary.reset();
    entry.unreadable = false;
    entry.otherSections.clear();
    TKLTFile file(monthDir + "/" + entry.name);
    try {
        file.ReadFile();
    } catch (const Exception&) {
        entry.unreadable = true;
        return;
    }
    if (file.MarkerCount() > 0) {
        entry.summary = SummaryOf(file);
    } else {
        entry.unreadable = true;
    }
}

bool SameFile(const TIndexEntry& stored, const TIndexEntry& seen) {
    return stored.name == seen.name && stored.size == seen.size && stored.modified == seen.modified;
}

// The entry of `name` in a list sorted by name.
std::vector<TIndexEntry>::iterator FindEntry(std::vector<TIndexEntry>& entries, const std::string& name) {
    const auto it = std::lower_bound(entries.begin(), entries.end(), name,
                                     [](const TIndexEntry& e, const std::string& n) { return e.name < n; });
    return it != entries.end() && it->name == name ? it : entries.end();
}

void SortByName(std::vector<TIndexEntry>& entries) {
    std::sort(entries.begin(), entries.end(), [](const TIndexEntry& a, const TIndexEntry& b) { return a.name < b.name; });
}

void WriteQuietly(const std::string& monthDir, const std::vector<TIndexEntry>& entries) {
    try {
        WriteTrainingIndex(monthDir, entries);
    } catch (const Exception&) {
        // A folder that cannot take its index is listed by reading its files.
    }
}

} // namespace

std::optional<std::vector<TIndexEntry>> ReadTrainingIndex(const std::string& monthDir) {
    std::optional<std::string> bytes;
    try {
        bytes = ReadSmallFile(IndexPath(monthDir), kMaxTrainingIndexSize);
    } catch (const Exception&) {
        return std::nullopt;
    }
    if (!bytes) {
        return std::nullopt;
    }
    std::optional<std::vector<TIndexEntry>> entries = DecodeTrainingIndex(*bytes);
    if (entries) {
        SortByName(*entries);
    }
    return entries;
}

void WriteTrainingIndex(const std::string& monthDir, const std::vector<TIndexEntry>& entries) {
    if (entries.empty()) {
        std::error_code error;
        std::filesystem::remove(IndexPath(monthDir), error);
        return;
    }
    const std::string bytes = EncodeTrainingIndex(entries);
    TAtomicFileWriter writer(IndexPath(monthDir));
    writer.Write(bytes.data(), bytes.size());
    writer.Commit(TDateTimeMark::None(), TAtomicFileWriter::TSync::CacheOnly);
}

std::vector<TIndexEntry> CurrentMonthIndex(const std::string& monthDir) {
    std::optional<std::vector<TIndexEntry>> stored = ReadTrainingIndex(monthDir);
    std::vector<TIndexEntry> current = ScanMonth(monthDir);
    bool changed = !stored || stored->size() != current.size();
    std::vector<TIndexEntry> none;
    std::vector<TIndexEntry>& known = stored ? *stored : none;
    for (TIndexEntry& entry : current) {
        const auto match = FindEntry(known, entry.name);
        if (match != known.end() && SameFile(*match, entry) && match->Known()) {
            entry = std::move(*match);
        } else {
            ReadEntry(monthDir, entry);
            changed = true;
        }
    }
    if (changed && (stored || !current.empty())) {
        WriteQuietly(monthDir, current);
    }
    return current;
}

void UpdateTrainingIndex(const std::string& databaseDir, const std::string& path) {
    if (!IsInDatabase(path, databaseDir)) {
        return;
    }
    const size_t slash = path.rfind('/');
    const std::string monthDir = path.substr(0, slash);
    const std::string name = path.substr(slash + 1);
    const std::string inside = path.substr(databaseDir.find_last_not_of('/') + 2);
    if (!IsTrainingName(name.c_str()) || std::count(inside.begin(), inside.end(), '/') != 2) {
        return; // only month folders (athlete/month/training) keep an index
    }
    try {
        std::vector<TIndexEntry> entries = ReadTrainingIndex(monthDir).value_or(std::vector<TIndexEntry>{});
        const size_t before = entries.size();
        entries.erase(std::remove_if(entries.begin(), entries.end(), [&](const TIndexEntry& e) { return e.name == name; }),
                      entries.end());
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            TIndexEntry entry = StatEntry(name, st);
            ReadEntry(monthDir, entry);
            entries.push_back(std::move(entry));
            SortByName(entries);
        } else if (entries.size() == before) {
            return; // neither file nor entry
        }
        WriteTrainingIndex(monthDir, entries);
    } catch (const std::exception&) {
        // The walk's comparison with the files catches what could not be written here.
    }
}

} // namespace klt
