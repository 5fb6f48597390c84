#pragma once
// The training browser without its window: the filter the user types (kept in the configuration),
// the rows of the trainings it lets through with the texts of their columns, the selection that
// survives a refresh, and deleting or changing the selected training. Rows come from the
// database's index; the filter works on them in memory, so typing reads no file.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/KLTDatabase.h"
#include "core/PRMesWrt.h"

namespace klt {

class TKLTFile;
class TKLTIniData;

class TKLTFileOpenController {
public:
    static constexpr int kColumnCount = 15;

    struct TRow {
        std::string key;  // sorts by date, start time and initials, then path
        std::string path; // the training file
        std::array<std::string, kColumnCount> cells;
    };

    // Takes the filter from the configuration and lists what it lets through.
    explicit TKLTFileOpenController(TKLTIniData& configuration);

    // --- Filter; every change is written back to the configuration and filters the listed rows ---
    const std::string& Initials() const;
    void SetInitials(const std::string& patterns); // ";"-separated, blank means "*"
    uint16_t FromDate() const;                     // kNoDate: open
    void SetFromDate(uint16_t date);
    uint16_t ToDate() const; // kNoDate: open
    void SetToDate(uint16_t date);

    // Initials that have a folder in the database, normalised and sorted.
    std::vector<std::string> KnownInitials() const;

    // --- Columns ---
    static std::string ColumnTitle(int column);
    // The kind whose colour a column's values take; mwaNone for the text columns.
    static TMesswertArtType ColumnKind(int column);
    // Width in widths of the character "0".
    static int ColumnWidthChars(int column);

    // --- Rows and selection ---
    // Lists the trainings of the database anew; the selected one stays selected when it is still
    // listed, otherwise the row that took its place.
    void Refresh();
    const std::vector<TRow>& Rows() const { return rows_; }
    bool HasRows() const { return !rows_.empty(); }
    int Selected() const { return selected_; } // -1 when there are no rows
    void Select(int row);
    // The selected training's path; empty when there are no rows.
    std::string SelectedPath() const;

    // Deletes the selected training after asking; the row above is selected then. Errors are
    // told to the user. Whether the training was deleted.
    bool DeleteSelected();
    // Runs `change` on the selected training (loaded) and lists anew, following the training to
    // its new name when the change moved it. Errors of loading or of the change are told to the
    // user. Whether `change` reported a change.
    bool ChangeSelected(const std::function<bool(TKLTFile&)>& change);

private:
    // A row of the database with what the filter looks at.
    struct TListedRow {
        TRow row;
        std::string athleteFolder;
        uint16_t date = 0;
        int32_t startTime = 0;
    };

    void WriteFilterBack() const;
    TTrainingFilter Filter() const;
    // Takes the listed rows the filter lets through, keeping the selection where it can.
    void ApplyFilter();
    static TRow MakeRow(const TListedTraining& training);

    TKLTIniData& configuration_;
    std::string initials_;
    uint16_t fromDate_;
    uint16_t toDate_;
    std::vector<TListedRow> listed_; // every training of the database, sorted
    std::vector<TRow> rows_;
    int selected_ = -1;
};

} // namespace klt
