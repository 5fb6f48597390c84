#include "app/KLTFileOpenController.h"

#include <algorithm>
#include <cstdio>

#include "app/KLTIniData.h"
#include "app/ProfileDirectory.h"
#include "core/Exceptions.h"
#include "core/KLTFile.h"
#include "core/KLTFileRegistry.h"
#include "core/Prompt.h"
#include "core/Texts.h"

namespace klt {
namespace {

struct TColumn {
    int titleText;         // 0: the unit short name of the kind
    TMesswertArtType kind; // colour and format of the values
    int widthChars;
};

constexpr std::array<TColumn, TKLTFileOpenController::kColumnCount> kColumns = {{
    {346, mwaNone, 21},
    {347, mwaNone, 20},
    {348, mwaNone, 6},
    {0, mwaArbeit, 6},
    {0, mwaStrecke, 6},
    {0, mwaLeistung, 6},
    {0, mwaHerzfrequenz, 6},
    {0, mwaGeschwindigkeit, 6},
    {0, mwaTretfrequenz, 6},
    {0, mwaHoehe, 6},
    {0, mwaTemperatur, 6},
    {349, mwaNone, 58},
    {0, mwaSteigung, 6},
    {0, mwaNullstelle, 6},
    {0, mwaRadumfang, 6},
}};

std::string PadLeft(std::string text, size_t width, char fill) {
    return text.size() >= width ? text : std::string(width - text.size(), fill) + text;
}

std::string PadRight(std::string text, size_t width) {
    text.resize(std::max(text.size(), width), ' ');
    return text.substr(0, width);
}

// Date as YYYYMMDD, so that texts sort like dates.
std::string SortableDate(uint16_t date) {
    const TCivilDate civil = CivilFromDaysSince1880(date);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", civil.year, civil.month, civil.day);
    return text;
}

std::string HoursMinutes(int32_t time) {
    const int32_t minutes = std::max(0, time) / 6000;
    return std::to_string(minutes / 60 * 100 + minutes % 60);
}

// A value in the kind's unit with its default decimals; nothing for what shows as zero.
std::string ValueText(TMesswertArtType kind, int64_t raw) {
    const TMesswertArt& art = MesswertArt(kind);
    std::string text = art.FormatValue(static_cast<double>(raw));
    return text == art.FormatValue(0.0) ? std::string() : text;
}

std::string DateAndTimes(const TTrainingSummary& s) {
    std::string text = FormatDate(s.date, TDateForm::Short);
    if (s.blockCount > 0) {
        text += " " + FormatTimeOfDay(s.startTime, false).substr(0, 5) + "-" +
                FormatTimeOfDay(s.endTime, false).substr(0, 5);
    }
    return text;
}

} // namespace

TKLTFileOpenController::TKLTFileOpenController(TKLTIniData& configuration)
    : configuration_(configuration), initials_(configuration.SystemData.DataBaseInitialMask),
      fromDate_(configuration.SystemData.DataBaseListDatumFrom),
      toDate_(configuration.SystemData.DataBaseListDatumUntil) {
    Refresh();
}

const std::string& TKLTFileOpenController::Initials() const {
    return initials_;
}

void TKLTFileOpenController::SetInitials(const std::string& patterns) {
    initials_ = patterns;
    WriteFilterBack();
    ApplyFilter();
}

uint16_t TKLTFileOpenController::FromDate() const {
    return fromDate_;
}

void TKLTFileOpenController::SetFromDate(uint16_t date) {
    fromDate_ = date;
    WriteFilterBack();
    ApplyFilter();
}

uint16_t TKLTFileOpenController::ToDate() const {
    return toDate_;
}

void TKLTFileOpenController::SetToDate(uint16_t date) {
    toDate_ = date;
    WriteFilterBack();
    ApplyFilter();
}

void TKLTFileOpenController::WriteFilterBack() const {
    TSystemData& system = configuration_.SystemData;
    system.DataBaseInitialMask = initials_;
    system.DataBaseListDatumFrom = fromDate_;
    system.DataBaseListDatumUntil = toDate_;
}

TTrainingFilter TKLTFileOpenController::Filter() const {
    TTrainingFilter filter;
    const bool blank = initials_.find_first_not_of(" \t") == std::string::npos;
    filter.initialsPatterns = blank ? std::string("*") : initials_;
    filter.fromDate = fromDate_ == kNoDate ? 0 : fromDate_;
    filter.toDate = toDate_;
    return filter;
}

std::vector<std::string> TKLTFileOpenController::KnownInitials() const {
    return KnownDatabaseInitials(configuration_.SystemData.DataBaseDir);
}

std::string TKLTFileOpenController::ColumnTitle(int column) {
    const TColumn& c = kColumns.at(static_cast<size_t>(column));
    return c.titleText != 0 ? LoadText(c.titleText) : MesswertArt(c.kind).UnitShortName();
}

TMesswertArtType TKLTFileOpenController::ColumnKind(int column) {
    return kColumns.at(static_cast<size_t>(column)).kind;
}

int TKLTFileOpenController::ColumnWidthChars(int column) {
    return kColumns.at(static_cast<size_t>(column)).widthChars;
}

TKLTFileOpenController::TRow TKLTFileOpenController::MakeRow(const TListedTraining& training) {
    const TTrainingSummary& s = training.summary;
    TRow row;
    row.path = training.path;
    row.key = PadLeft(SortableDate(s.date), 8, '0') + PadLeft(HoursMinutes(s.startTime), 6, '0') +
              PadRight(s.initials, 20) + row.path;
    row.cells = {DateAndTimes(s),
                 s.initials,
                 s.duration > 0 ? FormatTimeOfDay(s.duration, false) : std::string(),
                 ValueText(mwaArbeit, s.work),
                 ValueText(mwaStrecke, s.distance),
                 ValueText(mwaLeistung, s.avgPower),
                 ValueText(mwaHerzfrequenz, s.avgHeartRate),
                 ValueText(mwaGeschwindigkeit, s.avgSpeed),
                 ValueText(mwaTretfrequenz, s.avgCadence),
                 ValueText(mwaHoehe, s.climb),
                 ValueText(mwaTemperatur, s.avgTemperature),
                 s.comment,
                 ValueText(mwaSteigung, s.slope),
                 ValueText(mwaNullstelle, s.zeroOffset),
                 ValueText(mwaRadumfang, s.circumference)};
    return row;
}

void TKLTFileOpenController::Refresh() {
    listed_.clear();
    // Everything, so that a change of the filter needs no walk.
    ForEachListedTraining(configuration_.SystemData.DataBaseDir, TTrainingFilter(), [this](const TListedTraining& t) {
        listed_.push_back({MakeRow(t), t.athleteFolder, t.summary.date, t.summary.startTime});
        return true;
    });
    std::sort(listed_.begin(), listed_.end(),
              [](const TListedRow& a, const TListedRow& b) { return a.row.key < b.row.key; });
    ApplyFilter();
}

void TKLTFileOpenController::ApplyFilter() {
    const std::string previous = SelectedPath();
    const int previousIndex = selected_;
    const TTrainingFilter filter = Filter();
    rows_.clear();
    for (const TListedRow& listed : listed_) {
        if (filter.AdmitsAthlete(listed.athleteFolder) && filter.AdmitsTime(listed.date, listed.startTime)) {
            rows_.push_back(listed.row);
        }
    }
    selected_ = -1;
    if (rows_.empty()) {
        return;
    }
    const auto still =
        std::find_if(rows_.begin(), rows_.end(), [&](const TRow& r) { return r.path == previous; });
    selected_ = still != rows_.end() ? static_cast<int>(still - rows_.begin())
                                     : std::clamp(previousIndex, 0, static_cast<int>(rows_.size()) - 1);
}

void TKLTFileOpenController::Select(int row) {
    if (row >= 0 && row < static_cast<int>(rows_.size())) {
        selected_ = row;
    }
}

std::string TKLTFileOpenController::SelectedPath() const {
    return selected_ >= 0 && selected_ < static_cast<int>(rows_.size())
               ? rows_[static_cast<size_t>(selected_)].path
               : std::string();
}

bool TKLTFileOpenController::DeleteSelected() {
    const std::string path = SelectedPath();
    if (path.empty()) {
        return false;
    }
    const int above = std::max(0, selected_ - 1);
    TKLTFile& file = KLTFileRegistry().OpenTraining(path, nullptr);
    bool deleted = false;
    try {
        try {
            file.EnsureLoaded(); // the question names the training by its description
        } catch (const Exception&) {
            // A damaged training can still be deleted; the question then names its path.
        }
        deleted = file.Delete();
    } catch (const Exception& error) {
        Prompt().ShowMessage("Warning", error.what());
    }
    KLTFileRegistry().ReleaseTraining(file, nullptr);
    if (deleted) {
        Refresh();
        selected_ = rows_.empty() ? -1 : std::min(above, static_cast<int>(rows_.size()) - 1);
    }
    return deleted;
}

bool TKLTFileOpenController::ChangeSelected(const std::function<bool(TKLTFile&)>& change) {
    const std::string path = SelectedPath();
    if (path.empty()) {
        return false;
    }
    TKLTFile& file = KLTFileRegistry().OpenTraining(path, nullptr);
    bool changed = false;
    try {
        file.EnsureLoaded();
        changed = change(file);
        // Without a window on it the training would drop its changes when released: what the
        // user confirmed here is kept on disk at once.
        if (changed && file.Modified() && file.Views().empty()) {
            file.Save();
        }
    } catch (const Exception& error) {
        Prompt().ShowMessage("Warning", "'" + path + "' " + error.what());
    }
    const std::string now = file.FileName(); // a new date or new initials move the training
    KLTFileRegistry().ReleaseTraining(file, nullptr);
    Refresh();
    const auto moved = std::find_if(rows_.begin(), rows_.end(), [&](const TRow& r) { return r.path == now; });
    if (moved != rows_.end()) {
        selected_ = static_cast<int>(moved - rows_.begin());
    }
    return changed;
}

} // namespace klt
