#pragma once
// The command line of qk-bench.
//
//   --quick                  fewer repetitions of the CPU-only scenarios (the test runs this)
//   --json FILE              also write the figures as JSON to FILE
//   --only TEXT              run only the scenarios whose id contains TEXT (may be repeated)
//   --wire-ms N              wire time of one started 64-byte packet (default 1)
//   --falcon-write-busy-ms N time a Falcon memory write keeps the mouse busy (default 1: done
//                            by the time a status poll sent at once reaches it; 5 or 15 model
//                            a slower flash)
//   --described-pacing       the drivers keep the fixed waits before every status poll
//   --repeat N               repetitions of the CPU-only scenarios (default 100, quick 3)
//   --verbose                keep the driver's debug log on stderr
//   --list                   list the scenario ids and stop
//   --help

#include <QString>
#include <QStringList>

struct BenchOptions
{
    static constexpr int kDefaultWireMs = 1;
    static constexpr int kDefaultFalconWriteBusyMs = 1;
    static constexpr int kDefaultRepeat = 100;
    static constexpr int kQuickRepeat = 3;

    bool quick = false;
    QString jsonFile;
    QStringList only;
    int wireMs = kDefaultWireMs;
    int falconWriteBusyMs = kDefaultFalconWriteBusyMs;
    bool describedPacing = false;
    int repeat = kDefaultRepeat;
    bool verbose = false;
    bool list = false;
    bool help = false;

    // Whether a scenario id is selected by --only (everything is when none was given).
    bool selects(const QString &scenarioId) const;

    // Parses the arguments (without the program name). Returns false with *error set for an
    // unknown option, a missing value or a value out of range (negative times, repeat < 1);
    // *options is then unspecified.
    static bool parse(const QStringList &arguments, BenchOptions *options, QString *error);
    static QString usage();
};
