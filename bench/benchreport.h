#pragma once
// The benchmark's output: an aligned text table and the same figures as JSON.

#include "benchoptions.h"
#include "benchresult.h"

#include <QJsonDocument>
#include <QList>
#include <QString>

namespace BenchReport {
// One line per result under a header line, columns separated by two spaces, numbers
// right-aligned, then a line naming the latency model. Unavailable rows show "-" for figures.
QString table(const QList<BenchResult> &results, const BenchOptions &options);
// {"latencyModel": {...}, "scenarios": [{id, title, group, status, note, requests, transfers,
//  bytesOut, bytesIn, sleptMs, wireMs, totalMs, cpuMs}]}; figures are null for unavailable rows.
QJsonDocument json(const QList<BenchResult> &results, const BenchOptions &options);
// Writes json() to path atomically. Returns false (the file untouched) when it cannot.
bool writeJson(const QString &path, const QList<BenchResult> &results, const BenchOptions &options);
// The CPU figure as shown: three decimals below 10 ms, one above.
QString cpuText(double cpuMs);
} // namespace BenchReport
