#pragma once
// A DPI range: the values a model takes (its row in the model catalog holds it), shared by the
// pages and the command-line tool.

#include <QString>

struct DpiRange
{
    int minimum = 200;
    int maximum = 5000;
    int step = 100;
    // From `boundary` on, values go in `upperStep` (the FalconEU: 100 below 5000, 200 from it).
    int boundary = 0;
    int upperStep = 0;
    // Whether value is in range and on a step.
    bool accepts(int value) const;
    // "50 to 16000 in steps of 50" (for messages).
    QString describe() const;
};
