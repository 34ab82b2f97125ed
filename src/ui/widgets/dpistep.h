#pragma once
// The steps of a DPI row (one step size, or a lower step below a boundary and an upper one from
// it on), shared by the row's slider and spin box so both land on the same values.

#include "common/dpirange.h"

namespace DpiStep {
// Into the range, then down to the step below (the upper step from the boundary on): the value
// a released drag or a finished edit settles on. Always accepted by range.accepts().
int snap(const DpiRange &range, int value);
// One step up or down from value (the upper step from the boundary on going up, above it going
// down), kept inside the range.
int up(const DpiRange &range, int value);
int down(const DpiRange &range, int value);
} // namespace DpiStep
