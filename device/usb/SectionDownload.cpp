#include "device/usb/SectionDownload.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "core/TrainingDataUnit.h"
#include "device/TrainingDelivery.h"
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
constexpr std::string_view kCancelled = "The download was cancelled.";

// The download ends at once; the ride being read is not saved.
struct TCut {
    std::string message;
};

std::string SectionText(const TVeltrakDataHeader& header) {
    return FormatIsoDate(header.day) + " " + FormatTimeOfDay(header.startTime, false);
}

// What the download knows of the ride being read and of the database.
struct TDownloadInfo {
    // While the ride lies in a training the database holds: the end of that training (hundredths
    // since 1880). Records before it are passed over, without reading where a whole section is.
    std::optional<int64_t> knownEnd;
    int64_t nextTime = 0; // when the next record of the ride was recorded
};

struct TRide {
    TDownloadInfo info;
    TVeltrakDataHeader last; // its latest section
    std::optional<TSectionTraining> training;
    TDownloadResult result; // its trainings, added to the download's once the ride is whole
};

class TSectionDownload {
public:
    TSectionDownload(IRequestPort& port, TVeltrakImage& image, IDownloadSink& sink,
                     const TSectionDownloadSettings& settings)
        : port_(port), image_(image), sink_(sink), settings_(settings) {}

    TDownloadResult Run();

private:
    std::optional<uint16_t> SectionCount();
    std::optional<std::vector<uint8_t>> Reply(int kind, int fallback, bool (*valid)(std::span<const uint8_t>));
    TVeltrakDataHeader NextHeader();
    std::vector<bool> Choose(uint16_t count);
    void ReadSections(const std::vector<bool>& wanted);
    void StartRide(const TVeltrakDataHeader& header);
    void ReadSection(const TVeltrakDataHeader& header);
    void Take(const TSectionRecord& record);
    bool Known(int64_t from, int64_t to);
    void FinishTraining();
    void FinishRide();
    void DiscardRide();
    void CheckAbort() const {
        if (sink_.AbortRequested()) {
            throw EVeltrakAbort();
        }
    }

    IRequestPort& port_;
    TVeltrakImage& image_;
    IDownloadSink& sink_;
    const TSectionDownloadSettings& settings_;
    TDownloadResult result_;
    std::optional<TRide> ride_;
    int64_t records_ = 0;      // in every section header read: what the memory holds
    int accounted_ = 0;        // trainings saved, known, too short or not chosen
};

TDownloadResult TSectionDownload::Run() {
    image_.EditCounters() = {};
    sink_.Progress(0);
    std::optional<uint16_t> count = SectionCount();
    if (!count) {
        result_.Incomplete(std::string(kCountFailed));
        return result_;
    }
    try {
        std::vector<bool> wanted(*count, true);
        if (settings_.choose && *count > 0) {
            wanted = Choose(*count);
            const std::optional<uint16_t> again = SectionCount(); // rewinds to the first section
            if (!again || *again != *count) {
                result_.Incomplete(std::string(again ? kCountChanged : kCountFailed));
                return result_;
            }
            records_ = 0;
            image_.EditCounters() = {};
        }
        ReadSections(wanted);
        FinishRide();
        image_.HeapSize = kUsbMemoryRecords;
        image_.HeapCount = static_cast<uint16_t>(std::min<int64_t>(records_, 0xFFFF));
        if (*count > 0 && accounted_ == 0) {
            result_.Incomplete("The Veltrak's memory holds " + std::to_string(*count) +
                               " recordings, but none of them became a training.");
        }
    } catch (const TCut& cut) {
        DiscardRide();
        result_.Incomplete(cut.message);
    } catch (const EVeltrakAbort&) {
        DiscardRide();
        result_.Incomplete(std::string(kCancelled));
    } catch (const EKLTFileDatabaseError&) {
        DiscardRide();
        throw;
    } catch (const std::exception& error) {
        DiscardRide();
        result_.Incomplete(error.what());
    }
    return result_;
}

std::optional<uint16_t> TSectionDownload::SectionCount() {
    if (!port_.Request(kSectionCountRequest) || port_.Payload().size() < 2) {
        sink_.UserPrompt().ShowMessage("Warning", std::string(kCountFailed));
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

// The next section's header, its records counted into the memory's; EConvertError for one that
// cannot be a recording.
TVeltrakDataHeader TSectionDownload::NextHeader() {
    CheckAbort();
    const auto reply = Reply(kNextSectionHeaderRequest, kSectionHeaderAgainRequest, IsSectionHeaderReply);
    if (!reply) {
        sink_.UserPrompt().ShowMessage("Warning", std::string(kHeaderFailed));
        throw TCut{std::string(kHeaderFailed)};
    }
    ++image_.EditCounters().headersBefore;
    TVeltrakDataHeader header = ParseSectionHeader(*reply);
    records_ += header.records;
    return header;
}

std::vector<bool> TSectionDownload::Choose(uint16_t count) {
    std::vector<TVeltrakDataHeader> headers;
    std::vector<size_t> sectionOf;
    for (size_t s = 0; s < count; ++s) {
        try {
            headers.push_back(NextHeader());
            sectionOf.push_back(s);
        } catch (const EConvertError&) {
            // not offered; reading the sections meets it again and reports it once
        }
        sink_.Progress(static_cast<int>((s + 1) * 100 / (count + 1)));
    }
    const std::vector<TOfferedTraining> offered = OfferedTrainings(headers, settings_.limits.MaxPauseTraining);
    std::vector<TSectionChoice> choices;
    for (const TOfferedTraining& training : offered) {
        choices.push_back({SectionChoiceLine(headers[training.firstSection], training), true});
    }
    sink_.ChooseTrainings(choices);
    std::vector<bool> wanted(count, false);
    int left = 0;
    for (size_t t = 0; t < offered.size(); ++t) {
        if (t >= choices.size() || !choices[t].chosen) {
            ++left;
            continue;
        }
        for (size_t h = offered[t].firstSection; h < offered[t].firstSection + offered[t].sectionCount; ++h) {
            wanted[sectionOf[h]] = true;
        }
    }
    if (left > 0) {
        accounted_ += left;
        result_.Incomplete(left == 1 ? std::string("1 training was not chosen.")
                                     : std::to_string(left) + " trainings were not chosen.");
    }
    return wanted;
}

void TSectionDownload::ReadSections(const std::vector<bool>& wanted) {
    for (size_t s = 0; s < wanted.size(); ++s) {
        TVeltrakDataHeader header;
        try {
            header = NextHeader();
        } catch (const EConvertError& error) {
            result_.Incomplete(error.what()); // its records become no training; the ride goes on
            continue;
        }
        if (!wanted[s]) {
            FinishRide();
            continue;
        }
        if (ride_ && ContinuesRide(ride_->last, header, settings_.limits.MaxPauseTraining)) {
            ride_->last = header;
            ride_->info.nextTime = header.Start();
            if (ride_->training) {
                ride_->training->BeginSection(header);
            }
        } else {
            FinishRide();
            StartRide(header);
        }
        ++image_.EditCounters().headersAfter;
        if (ride_->info.knownEnd && header.End() <= *ride_->info.knownEnd) {
            continue; // all of it is in the database: not read again
        }
        ReadSection(header);
    }
}

void TSectionDownload::StartRide(const TVeltrakDataHeader& header) {
    ride_.emplace();
    ride_->last = header;
    ride_->info.nextTime = header.Start();
    // A ride saved before may begin after pause records at the section's start.
    Known(header.Start(), header.End());
}

// Whether the database holds a training of the ride whose first sample lies within from..to
// (hundredths since 1880, on the day of `from`); the ride then passes over it.
bool TSectionDownload::Known(int64_t from, int64_t to) {
    const int64_t dayStart = from / kHundredthsPerDay * kHundredthsPerDay;
    const auto first = static_cast<int32_t>(from - dayStart);
    const auto last = static_cast<int32_t>(std::min(to, dayStart + kHundredthsPerDay - 1) - dayStart);
    const std::optional<TStoredTraining> stored = sink_.StoredTraining(
        ride_->last.InitialsText(), static_cast<uint16_t>(from / kHundredthsPerDay), first, last);
    if (!stored) {
        return false;
    }
    ride_->info.knownEnd = dayStart + stored->endTime;
    ++ride_->result.skippedKnown;
    return true;
}

void TSectionDownload::ReadSection(const TVeltrakDataHeader& header) {
    uint32_t taken = 0;
    uint64_t beyond = 0;
    // Until a block without records: a head unit may end the data of every block, and one that
    // announced fewer records than it holds must not have the rest pass unnoticed.
    for (;;) {
        CheckAbort();
        const auto reply = Reply(kNextSectionBlockRequest, kSectionBlockAgainRequest, IsSectionBlockReply);
        if (!reply) {
            if (taken == header.records) {
                break; // everything announced came; the head unit only had nothing more to say
            }
            sink_.UserPrompt().ShowMessage("Warning", std::string(kBlockFailed));
            throw TCut{std::string(kBlockFailed)};
        }
        const TSectionBlock block = ParseSectionBlock(*reply);
        if (block.records.empty()) {
            break;
        }
        for (const TSectionRecord& record : block.records) {
            if (taken == header.records) {
                ++beyond;
                continue;
            }
            ++taken;
            Take(record);
        }
        if (header.records > 0) {
            sink_.Progress(static_cast<int>(uint64_t{taken} * 100 / header.records));
        }
    }
    if (beyond > 0) {
        result_.Incomplete("The recording of " + SectionText(header) + " held " + std::to_string(beyond) +
                           " records more than the Veltrak announced; they were not saved.");
    }
}

void TSectionDownload::Take(const TSectionRecord& record) {
    TDownloadInfo& info = ride_->info;
    const int64_t time = info.nextTime;
    info.nextTime += ride_->last.Interval();
    if (info.knownEnd && time < *info.knownEnd) {
        return; // part of the training the database holds
    }
    if (!ride_->training) {
        // What follows a stored training may be stored too (a ride split when it was full).
        if (record.pause || (info.knownEnd && Known(time, time))) {
            return;
        }
        ride_->training.emplace(ride_->last, time);
    }
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
    TVeltrakImageCounters& counters = image_.EditCounters();
    counters.timeBefore += training.RecordedTime();
    if (training.SampleCount() == 0) {
        return;
    }
    if (training.RecordedTime() < settings_.limits.MinDauerTraining) {
        ++accounted_; // shorter than a training is kept
        return;
    }
    TTrainingData data;
    training.Fill(data, settings_.fahrenheit);
    data.TakeBatteryInfo(image_);
    const int knownBefore = ride_->result.skippedKnown;
    if (DeliverTraining(data, sink_, ride_->result) || ride_->result.skippedKnown != knownBefore) {
        ++accounted_;
        ++counters.trainingFiles;
        counters.recordsInTrainings += training.SampleCount();
        counters.timeAfter += training.RecordedTime();
    }
}

void TSectionDownload::FinishRide() {
    if (!ride_) {
        return;
    }
    if (ride_->training) {
        FinishTraining();
    }
    accounted_ += ride_->result.skippedKnown;
    if (!ride_->result.errors.empty()) {
        // A part alone would be taken as known and the rest never read again.
        for (const std::string& path : ride_->result.files) {
            sink_.RemoveTraining(path);
        }
        ride_->result.files.clear();
    }
    result_.Add(ride_->result);
    ride_.reset();
}

void TSectionDownload::DiscardRide() {
    if (ride_) {
        for (const std::string& path : ride_->result.files) {
            sink_.RemoveTraining(path);
        }
        result_.errors.insert(result_.errors.end(), ride_->result.errors.begin(), ride_->result.errors.end());
    }
    ride_.reset();
}

} // namespace

TDownloadResult DownloadTrainingSections(IRequestPort& port, TVeltrakImage& image, IDownloadSink& sink,
                                         const TSectionDownloadSettings& settings) {
    return TSectionDownload(port, image, sink, settings).Run();
}

} // namespace klt
