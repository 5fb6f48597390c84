#include "device/usb/SectionDownload.h"

#include <filesystem>
#include <optional>
#include <string_view>

#include "core/Exceptions.h"
#include "core/KLTDatabase.h"
#include "core/KLTFile.h"
#include "core/PRMesWrt.h"
#include "core/Prompt.h"
#include "core/TrainingEnvironment.h"
#include "device/DownloadedTrainingFile.h"
#include "device/VeltrakExceptions.h"
#include "device/usb/SectionSelection.h"
#include "device/usb/SectionTraining.h"

namespace klt {

namespace {

constexpr std::string_view kCountFailed = "Could not download data from Veltrak\r\nPlease try again";
constexpr std::string_view kHeaderFailed = "Could not read data section from Veltrak\r\nNot all data were downloaded";
constexpr std::string_view kBlockFailed =
    "There was a problem during data download\r\nSome data might be lost.\r\nPlease try again if your are missing "
    "data.";
constexpr std::string_view kCountChanged =
    "The head unit's recordings changed while the trainings were chosen. Please download again.";
constexpr int kFahrenheitUnit = 1;

// The download ends at once; the ride being read is not saved.
struct TCut {
    std::string message;
};

bool IsKnownTraining(uint16_t day, int32_t startTime) {
    TTrainingFilter filter;
    filter.fromDate = filter.toDate = day;
    filter.fromTime = filter.toTime = startTime;
    bool known = false;
    ForEachTraining(RequiredDatabaseDir(), filter, [&](TKLTFile&) {
        known = true;
        return false;
    });
    return known;
}

void RemoveTrainingFile(const std::string& path) {
    std::error_code error;
    std::filesystem::remove(path, error);
    RemoveEmptyDirectories(std::filesystem::path(path).parent_path().string(), RequiredDatabaseDir());
}

// A training counts as saved only when the file reads back with what was written; a file that
// does not is removed, so that it is neither opened nor taken as known next time.
void CheckReadBack(const std::string& path, const TSectionTraining& training) {
    try {
        TKLTFile file(path);
        file.ReadFile();
        if (file.Header().date != training.Day() || file.SampleCount() != training.SampleCount() ||
            file.Blocks() != training.Blocks()) {
            throw EInOutError("'" + path + "': the training read back differs from the one written.");
        }
    } catch (...) {
        RemoveTrainingFile(path);
        throw;
    }
}

// What the download knows of the ride being read.
struct TDownloadInfo {
    bool known = false; // in the database already: its data are passed over
};

struct TRide {
    TDownloadInfo info;
    TVeltrakDataHeader last; // its latest section
    std::optional<TSectionTraining> training;
    std::vector<std::string> saved; // trainings of the ride written so far
    bool failed = false;            // one could not be written: the ride is read again next time
    TVeltrakImageCounters counts;   // added to the image's once the ride is kept
};

class TSectionDownload {
public:
    TSectionDownload(IRequestPort& port, TVeltrakImage& image, const TSectionDownloadHooks& hooks,
                     const TSectionDownloadSettings& settings)
        : port_(port), image_(image), hooks_(hooks), settings_(settings) {}

    TDownloadResult Run();

private:
    std::optional<uint16_t> SectionCount();
    std::optional<std::vector<uint8_t>> Reply(int kind, int fallback, bool (*valid)(std::span<const uint8_t>));
    std::vector<bool> Choose(uint16_t count);
    void ReadSections(const std::vector<bool>& wanted);
    void StartRide(const TVeltrakDataHeader& header);
    void ReadSectionData(const TVeltrakDataHeader& header);
    void Take(const TSectionRecord& record);
    void FinishTraining();
    void FinishRide();
    void DiscardRide();
    void Progress(int percent) const {
        if (hooks_.progress) {
            hooks_.progress(percent);
        }
    }
    bool Aborted() const { return hooks_.aborted && hooks_.aborted(); }

    IRequestPort& port_;
    TVeltrakImage& image_;
    const TSectionDownloadHooks& hooks_;
    const TSectionDownloadSettings& settings_;
    TDownloadResult result_;
    std::optional<TRide> ride_;
};

TDownloadResult TSectionDownload::Run() {
    image_.EditCounters() = {};
    Progress(0);
    RequiredDatabaseDir(); // one message, not one per training
    std::optional<uint16_t> count = SectionCount();
    if (!count) {
        result_.cut = true;
        return result_;
    }
    std::vector<bool> wanted(*count, true);
    if (hooks_.select && *count > 0) {
        wanted = Choose(*count);
        const std::optional<uint16_t> again = SectionCount(); // rewinds to the first section
        if (!again || *again != *count) {
            if (again) {
                result_.errors.emplace_back(kCountChanged);
            }
            result_.cut = true;
            return result_;
        }
    }
    try {
        ReadSections(wanted);
        FinishRide();
    } catch (const TCut& cut) {
        DiscardRide();
        result_.cut = true;
        result_.errors.push_back(cut.message);
    } catch (const EVeltrakAbort&) {
        DiscardRide();
        result_.cut = true;
    } catch (const std::exception& error) {
        DiscardRide();
        result_.cut = true;
        result_.errors.emplace_back(error.what());
    }
    return result_;
}

std::optional<uint16_t> TSectionDownload::SectionCount() {
    if (!port_.Request(kSectionCountRequest) || port_.Payload().size() < 2) {
        Prompt().ShowMessage("Warning", std::string(kCountFailed));
        return std::nullopt;
    }
    const std::vector<uint8_t>& p = port_.Payload();
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

std::optional<std::vector<uint8_t>> TSectionDownload::Reply(int kind, int fallback,
                                                           bool (*valid)(std::span<const uint8_t>)) {
    for (int k : {kind, fallback}) {
        try {
            if (port_.Request(k) && valid(port_.Payload())) {
                return port_.Payload();
            }
        } catch (const EVeltrakAbort&) {
            throw;
        } catch (const std::exception&) {
            // a garbled reply: the head unit did send it, so the fallback asks for it again
        }
    }
    return std::nullopt;
}

std::vector<bool> TSectionDownload::Choose(uint16_t count) {
    std::vector<TVeltrakDataHeader> headers;
    std::vector<size_t> sectionOf;
    for (size_t s = 0; s < count; ++s) {
        if (Aborted()) {
            throw EVeltrakAbort();
        }
        const auto reply = Reply(kNextSectionHeaderRequest, kSectionHeaderAgainRequest, IsSectionHeaderReply);
        if (!reply) {
            Prompt().ShowMessage("Warning", std::string(kHeaderFailed));
            throw EVeltrakComError(std::string(kHeaderFailed));
        }
        try {
            headers.push_back(ParseSectionHeader(*reply));
            sectionOf.push_back(s);
        } catch (const EConvertError& error) {
            result_.errors.emplace_back(error.what()); // not offered; the head unit keeps it
        }
        Progress(static_cast<int>((s + 1) * 100 / (count + 1)));
    }
    const std::vector<TOfferedTraining> offered = OfferedTrainings(headers, settings_.limits.MaxPauseTraining);
    std::vector<TSectionChoice> choices;
    for (const TOfferedTraining& training : offered) {
        choices.push_back({SectionChoiceLine(headers[training.firstSection], training), true});
    }
    hooks_.select(choices);
    std::vector<bool> wanted(count, false);
    for (size_t t = 0; t < offered.size(); ++t) {
        if (t >= choices.size() || !choices[t].chosen) {
            result_.cut = true; // left in the head unit, so its memory must not be cleared
            continue;
        }
        for (size_t h = offered[t].firstSection; h < offered[t].firstSection + offered[t].sectionCount; ++h) {
            wanted[sectionOf[h]] = true;
        }
    }
    return wanted;
}

void TSectionDownload::ReadSections(const std::vector<bool>& wanted) {
    for (size_t s = 0; s < wanted.size(); ++s) {
        if (Aborted()) {
            throw EVeltrakAbort();
        }
        const auto reply = Reply(kNextSectionHeaderRequest, kSectionHeaderAgainRequest, IsSectionHeaderReply);
        if (!reply) {
            Prompt().ShowMessage("Warning", std::string(kHeaderFailed));
            throw TCut{std::string(kHeaderFailed)};
        }
        ++image_.EditCounters().headersBefore;
        if (!wanted[s]) {
            FinishRide();
            continue;
        }
        TVeltrakDataHeader header;
        try {
            header = ParseSectionHeader(*reply);
        } catch (const EConvertError& error) {
            FinishRide();
            result_.errors.emplace_back(error.what());
            continue;
        }
        if (ride_ && ContinuesRide(ride_->last, header, settings_.limits.MaxPauseTraining)) {
            ride_->last = header;
            if (!ride_->info.known) {
                ride_->training->BeginSection(header);
            }
        } else {
            FinishRide();
            StartRide(header);
        }
        if (!ride_->info.known) {
            ++ride_->counts.headersAfter;
            ReadSectionData(header);
        }
    }
}

void TSectionDownload::StartRide(const TVeltrakDataHeader& header) {
    ride_.emplace();
    ride_->last = header;
    ride_->info.known = IsKnownTraining(header.day, header.startTime);
    if (ride_->info.known) {
        ++result_.skippedKnown;
    } else {
        ride_->training.emplace(header, header.Start());
    }
}

void TSectionDownload::ReadSectionData(const TVeltrakDataHeader& header) {
    uint32_t taken = 0;
    while (taken < header.records) {
        const auto reply = Reply(kNextSectionBlockRequest, kSectionBlockAgainRequest, IsSectionBlockReply);
        if (!reply) {
            Prompt().ShowMessage("Warning", std::string(kBlockFailed));
            throw TCut{std::string(kBlockFailed)};
        }
        const TSectionBlock block = ParseSectionBlock(*reply);
        for (const TSectionRecord& record : block.records) {
            if (taken == header.records) {
                break; // more than the header announced: not part of this section
            }
            ++taken;
            Take(record);
        }
        Progress(static_cast<int>(static_cast<uint64_t>(taken) * 100 / header.records));
        if (block.ends) {
            break;
        }
    }
}

void TSectionDownload::Take(const TSectionRecord& record) {
    if (ride_->training->Add(record)) {
        return;
    }
    // Full: what follows is a training of its own from the time its first sample was recorded.
    const int64_t next = ride_->training->NextTime();
    FinishTraining();
    ride_->training.emplace(ride_->last, next);
    ride_->training->Add(record);
}

void TSectionDownload::FinishTraining() {
    const TSectionTraining& training = *ride_->training;
    image_.EditCounters().timeBefore += training.RecordedTime();
    if (training.SampleCount() == 0 || training.RecordedTime() < settings_.limits.MinDauerTraining ||
        ride_->failed) {
        return;
    }
    std::string path;
    try {
        path = SaveDownloadedTraining([&](TKLTFile& file) { training.Fill(file, settings_.fahrenheit); });
        CheckReadBack(path, training);
    } catch (const std::exception& error) {
        result_.errors.emplace_back(error.what());
        ride_->failed = true;
        return;
    }
    ride_->saved.push_back(path);
    ++ride_->counts.trainingFiles;
    ride_->counts.recordsInTrainings += training.SampleCount();
    ride_->counts.timeAfter += training.RecordedTime();
}

void TSectionDownload::FinishRide() {
    if (!ride_) {
        return;
    }
    if (ride_->training) {
        FinishTraining();
    }
    if (ride_->failed) {
        DiscardRide(); // a part alone would be taken as known and the rest never read again
        return;
    }
    result_.files.insert(result_.files.end(), ride_->saved.begin(), ride_->saved.end());
    TVeltrakImageCounters& counters = image_.EditCounters();
    counters.headersAfter += ride_->counts.headersAfter;
    counters.trainingFiles += ride_->counts.trainingFiles;
    counters.recordsInTrainings += ride_->counts.recordsInTrainings;
    counters.timeAfter += ride_->counts.timeAfter;
    ride_.reset();
}

void TSectionDownload::DiscardRide() {
    if (ride_) {
        for (const std::string& path : ride_->saved) {
            RemoveTrainingFile(path);
        }
    }
    ride_.reset();
}

} // namespace

TSectionDownloadSettings CurrentSectionDownloadSettings(const TVeltrakTrainingLimits& limits) {
    return {limits, MesswertArt(mwaTemperatur).UnitIndex() == kFahrenheitUnit};
}

TDownloadResult DownloadTrainingSections(IRequestPort& port, TVeltrakImage& image, const TSectionDownloadHooks& hooks,
                                         const TSectionDownloadSettings& settings) {
    return TSectionDownload(port, image, hooks, settings).Run();
}

} // namespace klt
