// stand-in, replaced at merge
#include "analysis/RatioData.h"

namespace klt {

TRatioData::TRatioData(TRatioChannel key) : key_(key) {}
TRatioChannel TRatioData::Key() const { return key_; }
void TRatioData::SetKey(TRatioChannel key) { key_ = key; }
void TRatioData::Fill(const TKLTFile&, int, int, int, int) {}
int TRatioData::TotalSamples() const { return 0; }
int TRatioData::Samples(int, int) const { return 0; }
int TRatioData::Time(int, int) const { return 0; }
int TRatioData::Mean(int, int, TRatioChannel) const { return 0; }
std::vector<TRatioClass> TRatioData::Classes(const TRatioSkalaOption&) const { return {}; }

} // namespace klt
