#pragma once
// The model of the eddy-current brake: from the flywheel speed and a power, the brake offset that
// absorbs that power, with the brake's parameters and a correction the regulator adapts while the
// rider is steady. Offsets here are relative to the brake's lowest working point (0x8000).
#include <string>

#include "core/CappedLog.h"
#include "online/OnlineCommonOptionSet.h"

namespace klt {

class TOffsetTable {
public:
    // What the model gives when its arithmetic fails (a standing flywheel, absurd parameters).
    static constexpr int kFailedOffset = 10;
    static constexpr double kFailedGain = 2;
    static constexpr int kCorrectionLimit = 1000;

    // Reads `brake` at every call and writes the adapted `OffsetCorrection` back into it. With a
    // database folder, the model's logs "ErgoFiles/OffsetLogFile.log" (adaptations) and
    // "ErgoFiles/LogFile.log" (every model offset) are started empty below it.
    explicit TOffsetTable(TBrakeOptionSet& brake, const std::string& databaseDir = {});

    // The offset that absorbs `power` watts at flywheel speed `speed` (raw unit).
    int BrakeOffsetFor(int speed, int power);
    // Offset units per watt of power difference around `offset` (relative, like the model's).
    double RegulationGain(int speed, int power, int offset) const;
    // Moves `OffsetCorrection` towards what the brake needed in steady state: `averageOffset` was
    // sent while `power` was met at `speed`.
    void AdaptCorrection(int speed, int power, int averageOffset);

    // The size of the last downward step of the target power (0 for none): the flywheel is still
    // fast after it, so the model asks for a little less.
    void SetStepDown(int watts) { stepDown_ = watts; }
    int StepDown() const { return stepDown_; }
    // A big step up from a low power: the model asks for less so the rider is not stalled.
    void SetBigStepUp(bool on) { bigStepUp_ = on; }
    bool BigStepUp() const { return bigStepUp_; }

private:
    TBrakeOptionSet& brake_;
    int stepDown_ = 0;
    bool bigStepUp_ = false;
    TCappedLog adaptationLog_;
    TCappedLog modelLog_;
};

} // namespace klt
