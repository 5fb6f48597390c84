#pragma once
// What the competition window shows of each rider.
namespace klt {

struct TCompetitorValues {
    int watts = 0;
    double kmh = 0;
    double metres = 0;
};

class ICompetitionFeed {
public:
    virtual ~ICompetitionFeed() = default;
    virtual TCompetitorValues Rider(int rider) const = 0;
};

} // namespace klt
