#include "common/dpirange.h"

bool DpiRange::accepts(int value) const
{
    if (value < minimum || value > maximum)
        return false;
    if (boundary > 0 && value >= boundary)
        return (value - boundary) % upperStep == 0;
    return (value - minimum) % step == 0;
}

QString DpiRange::describe() const
{
    QString text = QStringLiteral("%1 to %2 in steps of %3").arg(minimum).arg(maximum).arg(step);
    if (boundary > 0)
        text += QStringLiteral(" (of %1 from %2 on)").arg(upperStep).arg(boundary);
    return text;
}
