#include "dpirange.h"

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

DpiRange dpiRangeOf(int mouseType)
{
    switch (mouseType) {
    case 3: case 5: case 6: case 11: return {50, 16000, 50};
    case 2: case 4: case 13: case 18: return {200, 6200, 100};
    case 14: return {200, 10000, 100, 5000, 200};
    case 7: case 8: case 9: case 12: return {200, 5000, 100, 0, 0, 5};
    default: return {200, 5000, 100};
    }
}
