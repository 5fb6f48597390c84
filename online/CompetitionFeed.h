#pragma once
// What the competition window reads of its two riders; the live window provides it.

namespace klt {

struct TCompetitorValues {
    int watts = 0;
    double kmh = 0;
    double metres = 0; // ridden so far
};

class ICompetitionFeed {
public:
    virtual ~ICompetitionFeed() = default;
    // Rider 1 or 2.
    virtual TCompetitorValues Rider(int rider) const = 0;
};

} // namespace klt
