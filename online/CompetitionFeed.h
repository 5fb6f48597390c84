#pragma once
// What the competition window reads of its two riders; the live window provides it.

namespace klt {

struct TCompetitorValues { int watts = 0; double kmh = 0; double metres = 0; };

class ICompetitionFeed { public: virtual ~ICompetitionFeed() = default; virtual TCompetitorValues Rider(int rider) const = 0; };

} // namespace klt
