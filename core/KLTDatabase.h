#pragma once
// The training database: one folder per athlete ("_" + initials + ".KLT"), in it one folder per
// month ("2026_12.KLT"), in it the trainings named by initial, date and a suffix letter
// ("J091226A.klt"). Names are compared without regard to case.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/TrainingSummary.h"

namespace klt {

class TKLTFile;

// Whether `path` lies inside the database folder `databaseDir`.
bool IsInDatabase(const std::string& path, const std::string& databaseDir);

// The folder a training of these initials and date belongs in (ends with "/").
std::string CanonicalDirectory(const std::string& databaseDir, const std::string& initials, uint16_t date);

// The file name without suffix letter and extension: initial (or "_") and DDMMYY.
std::string CanonicalStem(const std::string& initials, uint16_t date);

// The suffix letters of training names in the order they are given out.
inline constexpr std::string_view kSuffixLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

// Whether `name` is stem + one suffix character (0-9, A-Z, a-z) + ".klt".
bool HasCanonicalForm(const std::string& name, const std::string& stem);

// The entry of `dir` whose name equals `name` ignoring case, as it is spelled on disk; `name`
// itself when there is none.
std::string FindIgnoringCase(const std::string& dir, const std::string& name);

// Gives a training read from outside the database its place there, under a free name, and saves
// it; the file it came from stays where it is. False, with the name unchanged, for a training
// without a marker 0 to name it by.
bool PlaceInDatabase(TKLTFile& file, const std::string& databaseDir);

// Puts a copy of the training file `source` into its place in the database and returns the path
// it got; a file of a version before 5 is saved as KLT7 (dated by its own name). A file that is
// no training, or one that is damaged, is refused with an error that names `source`.
std::string AddTrainingToDatabase(const std::string& source, const std::string& databaseDir);

// Whether another training already goes by that path (a name free on disk may still be taken).
using TNameTaken = std::function<bool(const std::string& path)>;

// Puts a new training of these initials and date into its place in the database without ever
// replacing a file: `write` writes it to the temporary path it is given, in the training's folder;
// the file is then moved in under the first free suffix letter, the next one when another process
// took that name meanwhile. Returns the path. Throws EKLTFileDatabaseError when the folder cannot be
// made or every name is taken; what `write` throws passes on. No temporary file is left behind, and
// those a run that was killed left in the folder go.
std::string PlaceNewTraining(const std::string& databaseDir, const std::string& initials, uint16_t date,
                             const std::function<void(const std::string& path)>& write,
                             const TNameTaken& taken = {});

// Offers stem + each suffix letter in `dir` that no file has and `taken` does not refuse to
// `claim`, until it takes one; returns that path. Throws EKLTFileDatabaseError when none is left.
std::string ClaimFreeName(const std::string& dir, const std::string& stem, const TNameTaken& taken,
                          const std::function<bool(const std::string& path)>& claim);

// Moves the file `from` into `dir` (which exists) as stem + the first suffix letter that no file
// has and `taken` does not refuse; never replaces a file. Returns the new path.
std::string MoveUnderFreeName(const std::string& from, const std::string& dir, const std::string& stem,
                              const TNameTaken& taken = {});

// Renames without ever replacing an existing file; false (errno set) when it cannot.
bool RenameNoReplace(const std::string& from, const std::string& to);

// Removes the temporary files of trainings that killed runs left in `dir`.
void RemoveStaleTemporaries(const std::string& dir);

// Removes empty folders from `dir` upwards, stopping at the database folder. A folder that holds
// nothing but its index counts as empty.
void RemoveEmptyDirectories(const std::string& dir, const std::string& databaseDir);

struct TTrainingFilter {
    std::string initialsPatterns = "*"; // ";"-separated, "*" and "?" as wildcards
    uint16_t fromDate = 0;              // days since 1880; 0: no lower end
    int32_t fromTime = 0;               // 1/100 s
    uint16_t toDate = 0xFFFF;           // 0xFFFF: no upper end
    int32_t toTime = 8640000;
    bool withSamples = false; // read whole trainings, not only up to their samples

    // Whether an athlete's folder ("_" + initials + ".KLT") matches one of the patterns.
    bool AdmitsAthlete(const std::string& folderName) const;
    // Whether a month folder ("2026_12.KLT") may hold trainings of the date range. Trainings
    // without a date lie in the month of day 0xFFFF, so an open end has no last month.
    bool AdmitsMonth(const std::string& folderName) const;
    // Whether a training of this date and start time lies in the range; no date (0xFFFF) comes
    // after every date.
    bool AdmitsTime(uint16_t date, int32_t startTime) const;
};

// A training as the database's index knows it, without reading its file.
struct TListedTraining {
    std::string path;
    std::string athleteFolder; // "_" + initials + ".KLT", as spelled on disk
    TTrainingSummary summary;
};

// Calls `action` for every training the filter lets through, from the index of its month folder,
// which the walk brings up to date first (see TrainingIndex.h); a false return ends the walk.
// Files that are no readable trainings are skipped.
void ForEachListedTraining(const std::string& databaseDir, const TTrainingFilter& filter,
                           const std::function<bool(const TListedTraining&)>& action);

// The same with each training read (header only, or whole with `withSamples`).
void ForEachTraining(const std::string& databaseDir, const TTrainingFilter& filter,
                     const std::function<bool(TKLTFile&)>& action);

} // namespace klt
