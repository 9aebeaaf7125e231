#pragma once

#include "canvas/canvas.h"

namespace kv {

// Turns p about centre by angleDeg degrees, clockwise on the screen (y grows downward) for
// positive angles, and rounds to whole pixels. The angle goes to radians in single precision
// on purpose: pointer and scale points must land on exactly the same pixels, and a point
// turned twice is rounded after each turn.
Point rotatePoint(Point p, Point centre, double angleDeg);

} // namespace kv
