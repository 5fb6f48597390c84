#include "device/usb/SectionSelection.h"

#include <cstdio>

#include "core/KLTDate.h"

namespace klt {

namespace {

constexpr size_t kLineWidth = 120;
constexpr double kSlopeUnit = 305.58;

void Put(std::string& line, size_t column, const std::string& text) {
    line.replace(column, std::min(text.size(), kLineWidth - column), text, 0, kLineWidth - column);
}

std::string Formatted(const char* format, auto... values) {
    char text[48];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

} // namespace

std::vector<TOfferedTraining> OfferedTrainings(const std::vector<TVeltrakDataHeader>& headers, int32_t maxPause) {
    std::vector<TOfferedTraining> trainings;
    for (size_t i = 0; i < headers.size(); ++i) {
        if (i == 0 || !ContinuesRide(headers[i - 1], headers[i], maxPause)) {
            trainings.push_back({i, 0, 0, 0});
        }
        TOfferedTraining& training = trainings.back();
        ++training.sectionCount;
        training.records += headers[i].records;
        training.duration = headers[i].End() - headers[training.firstSection].Start();
    }
    return trainings;
}

std::string SectionChoiceLine(const TVeltrakDataHeader& first, const TOfferedTraining& training) {
    std::string line(kLineWidth, ' ');
    const TCivilDate date = CivilFromDaysSince1880(first.day);
    Put(line, 0, Formatted("%02d.%02d.%04d", date.day, date.month, date.year));
    std::string time = Formatted("%d:%02d", first.startTime / 360000, first.startTime / 6000 % 60);
    if (time.size() < 5) {
        time.insert(0, "0");
    }
    Put(line, 14, time);
    Put(line, 24, Formatted("%5.2f", first.SlopeUsed() / kSlopeUnit));
    Put(line, 38, Formatted("%6d", first.zeroOffset));
    Put(line, 50, Formatted("%4u", unsigned{first.wheel}));
    const int64_t seconds = training.duration / 100;
    Put(line, 60, Formatted("%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                            static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60)));
    Put(line, 72, Formatted("%8llu", static_cast<unsigned long long>(training.records)));
    return line;
}

} // namespace klt
