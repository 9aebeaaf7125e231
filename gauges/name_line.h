#pragma once

#include "canvas/geometry.h"

namespace kv {

// Where a name line of a gauge stands: it takes its height off the bottom of r and stands
// there centred, moved down by `shift`; held to the int range for a rectangle near its ends.
Point nameLineAtBottom(Rect& r, Size extent, int shift);

} // namespace kv
