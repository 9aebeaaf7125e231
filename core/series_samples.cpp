#include "core/series_samples.h"

namespace kv {

ValueTally SeriesSamples::tally(int first, int last, const std::string& unit) const {
    return tallyPoints(*this, first, last, unit, [this](int i) { return y(i); });
}

} // namespace kv
