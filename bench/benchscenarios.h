#pragma once
// The scenarios of qk-bench, in the order they run and print.
//
// Groups: 0 command-set baselines (the driver alone, as the original design's figures are
// stated), 1 open and read the whole profile, 2 one setting change, 3 one macro write, 4 load a
// stored configuration, 5 firmware update, 6 finding the stored configuration that equals the
// mouse (host CPU).
//
// Each scenario builds its mice in a fresh BenchRig, does its setup unmeasured, and measures
// only the operation itself. A scenario whose device manager is not in this build reports
// Unavailable.

#include "benchresult.h"

#include <QList>
#include <QString>
#include <functional>

class BenchRig;

struct BenchScenario
{
    QString id;
    QString title;
    int group = 0;
    // Fills status, note and figures (id, title and group are the runner's).
    std::function<BenchResult(BenchRig &)> run;
};

namespace BenchScenarios {
QList<BenchScenario> all();
} // namespace BenchScenarios
