#pragma once

namespace kv {

class ValueIndicator;

// The stored settings of the window's displays, applied in the order the form streams
// them, while the control holds its update lock; loaded() is left to the caller.
void applyIndicatorSettings(ValueIndicator& anz);

} // namespace kv
