#include "core/KLTDatabase.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <fnmatch.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/BinaryFile.h"
#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "core/Initials.h"
#include "core/KLTFile.h"
#include "core/Texts.h"
#include "core/TrainingIndex.h"

namespace klt {
namespace fs = std::filesystem;

namespace {

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string MonthName(uint16_t date) {
    const TCivilDate civil = CivilFromDaysSince1880(date);
    char text[16];
    std::snprintf(text, sizeof text, "%04d_%02d.KLT", civil.year, civil.month);
    return text;
}

// Entries of `dir` whose names match the pattern ignoring case, sorted by name.
std::vector<fs::path> Matching(const fs::path& dir, const std::string& pattern, bool directories) {
    std::vector<fs::path> found;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, error)) {
        std::error_code typeError;
        if (entry.is_directory(typeError) != directories) {
            continue;
        }
        const std::string name = entry.path().filename().string();
        if (::fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0) {
            found.push_back(entry.path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// Whether the folder's one entry is its index, which goes with the last training.
bool HoldsOnlyItsIndex(const fs::path& dir) {
    std::error_code error;
    fs::directory_iterator it(dir, error);
    if (error || it == fs::directory_iterator() || it->path().filename() != kTrainingIndexName) {
        return false;
    }
    it.increment(error);
    return !error && it == fs::directory_iterator();
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

} // namespace

bool IsInDatabase(const std::string& path, const std::string& databaseDir) {
    if (databaseDir.empty()) {
        return false;
    }
    const std::string dir = WithoutTrailingSlash(databaseDir) + "/";
    return path.size() > dir.size() && ::strncasecmp(path.c_str(), dir.c_str(), dir.size()) == 0;
}

std::string CanonicalDirectory(const std::string& databaseDir, const std::string& initials, uint16_t date) {
    const std::string base = WithoutTrailingSlash(databaseDir);
    const std::string athlete = FindIgnoringCase(base, "_" + initials + ".KLT");
    const std::string month = FindIgnoringCase(base + "/" + athlete, MonthName(date));
    return base + "/" + athlete + "/" + month + "/";
}

std::string CanonicalStem(const std::string& initials, uint16_t date) {
    const TCivilDate civil = CivilFromDaysSince1880(date);
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d%02d%02d", civil.day, civil.month, civil.year % 100);
    // A name beginning with "." would hide the training from listings and file dialogs.
    const char initial = initials.empty() || initials[0] == '.' ? '_' : initials[0];
    return std::string(1, initial) + digits;
}

bool HasCanonicalForm(const std::string& name, const std::string& stem) {
    if (name.size() != stem.size() + 5 || ::strncasecmp(name.c_str(), stem.c_str(), stem.size()) != 0 ||
        ::strcasecmp(name.c_str() + stem.size() + 1, ".klt") != 0) {
        return false;
    }
    const unsigned char suffix = static_cast<unsigned char>(name[stem.size()]);
    return std::isalnum(suffix) != 0;
}

std::string FindIgnoringCase(const std::string& dir, const std::string& name) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, error)) {
        const std::string existing = entry.path().filename().string();
        if (::strcasecmp(existing.c_str(), name.c_str()) == 0) {
            return existing;
        }
    }
    return name;
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // File systems without that flag: a hard link fails just as surely when the target exists.
    if (::link(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    return ::unlink(from.c_str()) == 0;
}

std::string ClaimFreeName(const std::string& dir, const std::string& stem, const TNameTaken& taken,
                          const std::function<bool(const std::string& path)>& claim) {
    for (char suffix : kSuffixLetters) {
        const std::string name = stem + suffix + ".klt";
        if (FindIgnoringCase(dir, name) != name || (taken && taken(dir + name))) {
            continue; // on disk under another spelling, or another training's
        }
        if (claim(dir + name)) {
            return dir + name;
        }
    }
    throw EKLTFileDatabaseError(FormatText(
        LoadText(273), {dir + stem + "?.klt", "all " + std::to_string(kSuffixLetters.size()) +
                                                  " names for trainings of this athlete on this day are taken"}));
}

std::string MoveUnderFreeName(const std::string& from, const std::string& dir, const std::string& stem,
                              const TNameTaken& taken) {
    return ClaimFreeName(dir, stem, taken, [&](const std::string& path) {
        if (RenameNoReplace(from, path)) {
            return true;
        }
        if (errno != EEXIST) {
            throw EKLTFileDatabaseError(FormatText(LoadText(273), {path, IoErrorMessage(errno)}));
        }
        return false; // taken meanwhile: the next one
    });
}

void RemoveStaleTemporaries(const std::string& dir) {
    const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, error)) {
        const std::string path = entry.path().string();
        if (IsStaleTrainingTemporary(entry.path().filename().string(), FileChangeStamp(path), now)) {
            fs::remove(entry.path(), error);
        }
    }
}

std::string PlaceNewTraining(const std::string& databaseDir, const std::string& initials, uint16_t date,
                             const std::function<void(const std::string& path)>& write, const TNameTaken& taken) {
    const std::string dir = CanonicalDirectory(databaseDir, initials, date);
    std::error_code error;
    fs::create_directories(dir, error);
    if (error) {
        throw EKLTFileDatabaseError(FormatText(LoadText(273), {dir, error.message()}));
    }
    RemoveStaleTemporaries(dir);
    RemoveStaleTemporaries(WithoutTrailingSlash(databaseDir)); // copies an interrupted "db add" made
    const std::string stem = CanonicalStem(initials, date);
    std::string temporary;
    ::close(CreateTemporaryBeside(dir + stem + ".klt", temporary));
    try {
        write(temporary);
        return MoveUnderFreeName(temporary, dir, stem, taken);
    } catch (...) {
        fs::remove(temporary, error);
        throw;
    }
}

void RemoveEmptyDirectories(const std::string& dir, const std::string& databaseDir) {
    fs::path current = WithoutTrailingSlash(dir);
    const fs::path stop = WithoutTrailingSlash(databaseDir);
    std::error_code error;
    while (IsInDatabase(current.string(), stop.string())) {
        if (HoldsOnlyItsIndex(current)) {
            fs::remove(current / kTrainingIndexName, error);
        }
        if (!fs::is_empty(current, error) || error || !fs::remove(current, error)) {
            break;
        }
        current = current.parent_path();
    }
}

bool TTrainingFilter::AdmitsAthlete(const std::string& folderName) const {
    const std::string patterns = initialsPatterns.empty() ? "*" : initialsPatterns;
    size_t start = 0;
    while (start <= patterns.size()) {
        const size_t end = std::min(patterns.find(';', start), patterns.size());
        const std::string pattern = patterns.substr(start, end - start);
        start = end + 1;
        if (!pattern.empty() && ::fnmatch(("_" + pattern + ".KLT").c_str(), folderName.c_str(), FNM_CASEFOLD) == 0) {
            return true;
        }
    }
    return false;
}

bool TTrainingFilter::AdmitsMonth(const std::string& folderName) const {
    const std::string name = Upper(folderName);
    return (fromDate == 0 || name >= MonthName(fromDate)) && (toDate == kNoDate || name <= MonthName(toDate));
}

bool TTrainingFilter::AdmitsTime(uint16_t date, int32_t startTime) const {
    const auto key = std::make_pair(date, startTime);
    return key >= std::make_pair(fromDate, fromTime) && key <= std::make_pair(toDate, toTime);
}

void ForEachListedTraining(const std::string& databaseDir, const TTrainingFilter& filter,
                           const std::function<bool(const TListedTraining&)>& action) {
    for (const fs::path& athlete : Matching(databaseDir, "_*.KLT", true)) {
        const std::string athleteFolder = athlete.filename().string();
        if (!filter.AdmitsAthlete(athleteFolder)) {
            continue;
        }
        for (const fs::path& month : Matching(athlete, "????_??.KLT", true)) {
            if (!filter.AdmitsMonth(month.filename().string())) {
                continue;
            }
            for (TIndexEntry& entry : CurrentMonthIndex(month.string())) {
                if (!entry.summary || !filter.AdmitsTime(entry.summary->date, entry.summary->startTime)) {
                    continue;
                }
                if (!action({(month / entry.name).string(), athleteFolder, std::move(*entry.summary)})) {
                    return;
                }
            }
        }
    }
}

void ForEachTraining(const std::string& databaseDir, const TTrainingFilter& filter,
                     const std::function<bool(TKLTFile&)>& action) {
    ForEachListedTraining(databaseDir, filter, [&](const TListedTraining& listed) {
        TKLTFile file(listed.path);
        try {
            filter.withSamples ? file.ReadFile() : file.ReadHeader();
        } catch (const Exception&) {
            return true; // one damaged file does not end the walk
        }
        return action(file);
    });
}

bool PlaceInDatabase(TKLTFile& file, const std::string& databaseDir) {
    if (file.MarkerCount() == 0) {
        return false;
    }
    file.SaveAsNewTraining(databaseDir);
    return true;
}

std::string AddTrainingToDatabase(const std::string& source, const std::string& databaseDir) {
    TKLTFile file(source);
    try {
        file.ReadFile();
        if (file.Damage()) {
            throw EKLTFileInOutError(file.Damage()->Text());
        }
        if (file.Modified()) {
            file.SaveAsNewTraining(databaseDir); // an old version becomes KLT7
            return file.FileName();
        }
        const std::string initials = NormalizeInitials(file.Marker(0).name);
        const std::string path = PlaceNewTraining(databaseDir, initials, file.Header().date,
                                                  [&](const std::string& temporary) { CopyFileSynced(source, temporary); });
        UpdateTrainingIndex(databaseDir, path);
        return path;
    } catch (Exception& e) {
        e.SetMessage("'" + source + "': " + e.Message());
        throw;
    }
}

} // namespace klt
