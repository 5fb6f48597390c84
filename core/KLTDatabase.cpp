#include "core/KLTDatabase.h"

#include <algorithm>
#include <cerrno>
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
    return std::string(1, (initials + "_")[0]) + digits;
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
    // A hard link fails when the target exists, so no training is ever replaced; where links are
    // not possible, check and rename (with the small window that leaves).
    if (::link(from.c_str(), to.c_str()) == 0) {
        return ::unlink(from.c_str()) == 0;
    }
    if (errno == EEXIST) {
        return false;
    }
    struct stat st {};
    if (::stat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

std::string PlaceNewTraining(const std::string& databaseDir, const std::string& initials, uint16_t date,
                             const std::function<void(const std::string& path)>& write) {
    const std::string dir = CanonicalDirectory(databaseDir, initials, date);
    std::error_code error;
    fs::create_directories(dir, error);
    if (error) {
        throw EKLTFileDatabaseError(FormatText(LoadText(273), {dir, error.message()}));
    }
    const std::string stem = CanonicalStem(initials, date);
    const std::string temporary = dir + "." + stem + ".new-" + std::to_string(::getpid()) + ".klt";
    try {
        write(temporary);
        for (char suffix : kSuffixLetters) {
            const std::string name = stem + suffix + ".klt";
            if (FindIgnoringCase(dir, name) != name) {
                continue; // taken under another spelling
            }
            if (RenameNoReplace(temporary, dir + name)) {
                return dir + name;
            }
            if (errno != EEXIST) {
                throw EKLTFileDatabaseError(FormatText(LoadText(273), {dir + name, IoErrorMessage(errno)}));
            }
        }
    } catch (...) {
        fs::remove(temporary, error);
        throw;
    }
    fs::remove(temporary, error);
    throw EKLTFileInUse(FormatText(LoadText(272), {dir + stem + "Z.klt"}));
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
    const std::string original = file.FileName();
    // A name inside the database that no file has lets the canonical rename give the training its
    // place without touching anything on disk.
    const std::string incoming = WithoutTrailingSlash(databaseDir) + "/.incoming.klt";
    file.SetFileName(incoming);
    try {
        file.CanonicalRename();
    } catch (...) {
        file.SetFileName(original);
        throw;
    }
    if (file.FileName() == incoming) {
        file.SetFileName(original);
        return false;
    }
    if (!file.Save()) {
        throw EKLTFileDatabaseError("not saved in the training database");
    }
    return true;
}

} // namespace klt
