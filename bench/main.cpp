// qk-bench: what the everyday device operations cost, measured against the emulated mice on a
// virtual clock. See README.md next to this file.

#include "benchmark.h"
#include "benchoptions.h"
#include "benchreport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    BenchOptions options;
    QString error;
    if (!BenchOptions::parse(app.arguments().mid(1), &options, &error)) {
        err << "qk-bench: " << error << "\n\n" << BenchOptions::usage();
        return 2;
    }
    if (options.help) {
        out << BenchOptions::usage();
        return 0;
    }
    Benchmark bench(options);
    if (options.list) {
        out << bench.selectedIds().join(QLatin1Char('\n')) << '\n';
        return 0;
    }
    if (bench.selectedIds().isEmpty()) {
        err << "qk-bench: --only selects no scenario\n";
        return 2;
    }
    QElapsedTimer real;
    real.start();
    const QList<BenchResult> results = bench.run([&err](const BenchResult &r) {
        err << "  " << r.id << ": " << BenchResult::statusName(r.status) << '\n';
        err.flush();
    });
    out << BenchReport::table(results, options);
    out << QStringLiteral("Real time of the whole run: %1 s\n").arg(double(real.elapsed()) / 1000.0, 0, 'f', 1);
    out.flush();
    if (!options.jsonFile.isEmpty() && !BenchReport::writeJson(options.jsonFile, results, options)) {
        err << "qk-bench: cannot write " << options.jsonFile << '\n';
        return 1;
    }
    for (const BenchResult &r : results) {
        if (r.status == BenchResult::Status::Failed)
            return 1;
    }
    return 0;
}
