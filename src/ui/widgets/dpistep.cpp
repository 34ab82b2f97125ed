#include "ui/widgets/dpistep.h"

#include <QtGlobal>

namespace DpiStep {

namespace {
bool twoSteps(const DpiRange &r) { return r.boundary > 0 && r.upperStep > 0; }
} // namespace

int snap(const DpiRange &r, int value)
{
    value = qBound(r.minimum, value, r.maximum);
    if (twoSteps(r) && value >= r.boundary)
        return value - (value - r.boundary) % r.upperStep;
    return value - (value - r.minimum) % qMax(1, r.step);
}

int up(const DpiRange &r, int value)
{
    const int step = twoSteps(r) && value >= r.boundary ? r.upperStep : r.step;
    return snap(r, qMin(value + step, r.maximum));
}

int down(const DpiRange &r, int value)
{
    const int step = twoSteps(r) && value > r.boundary ? r.upperStep : r.step;
    return snap(r, qMax(value - step, r.minimum));
}

} // namespace DpiStep
