#pragma once
// Runs the selected scenarios of qk-bench one after the other, each in a fresh BenchRig.

#include "benchoptions.h"
#include "benchresult.h"

#include <QList>
#include <functional>

class Benchmark
{
public:
    explicit Benchmark(const BenchOptions &options);

    // The ids of the scenarios the options select, in run order.
    QStringList selectedIds() const;

    // Runs the selected scenarios; progress (if given) is called after each. Unless the options
    // ask for --verbose, the debug log is silenced meanwhile (warnings still reach stderr).
    // Must be called on a thread with a QCoreApplication around.
    QList<BenchResult> run(const std::function<void(const BenchResult &)> &progress = {});

private:
    BenchOptions m_options;
};
