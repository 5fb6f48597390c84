#include "core/TrainingEnvironment.h"

namespace klt {

TTrainingEnvironment& TrainingEnvironment() {
    static TTrainingEnvironment environment;
    return environment;
}

} // namespace klt
