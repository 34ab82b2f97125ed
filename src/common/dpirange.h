#pragma once
// The DPI values each model takes: the range and step of the DPI page's sliders and the number
// of stages, shared by the pages, the coordinator and the command-line tool.

#include <QString>

struct DpiRange
{
    int minimum = 200;
    int maximum = 5000;
    int step = 100;
    // From `boundary` on, values go in `upperStep` (the FalconEU: 100 below 5000, 200 from it).
    int boundary = 0;
    int upperStep = 0;
    // How many DPI stages the mouse keeps (the Kite family five, the others seven).
    int stages = 7;

    // Whether value is in range and on a step.
    bool accepts(int value) const;
    // "50 to 16000 in steps of 50" (for messages).
    QString describe() const;
};

// The range of a model code (unknown codes get the Falcon-family default 200..5000 by 100).
DpiRange dpiRangeOf(int mouseType);
