#include "benchmark.h"

#include "benchrig.h"
#include "benchscenarios.h"
#include "common/qktypes.h"

#include <QtGlobal>

namespace {
QtMessageHandler g_previousHandler = nullptr;

// The drivers log every chunk they move; printing that would swamp the output and the CPU figure.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    if (g_previousHandler)
        g_previousHandler(type, context, message);
    else
        qt_message_output(type, context, message);
}

class QuietLog
{
public:
    explicit QuietLog(bool quiet) : m_quiet(quiet)
    {
        if (m_quiet)
            g_previousHandler = qInstallMessageHandler(quietHandler);
    }
    ~QuietLog()
    {
        if (m_quiet) {
            qInstallMessageHandler(g_previousHandler);
            g_previousHandler = nullptr;
        }
    }
    QuietLog(const QuietLog &) = delete;
    QuietLog &operator=(const QuietLog &) = delete;

private:
    bool m_quiet;
};
} // namespace

Benchmark::Benchmark(const BenchOptions &options) : m_options(options) {}

QStringList Benchmark::selectedIds() const
{
    QStringList ids;
    const QList<BenchScenario> scenarios = BenchScenarios::all();
    for (const BenchScenario &s : scenarios) {
        if (m_options.selects(s.id))
            ids << s.id;
    }
    return ids;
}

QList<BenchResult> Benchmark::run(const std::function<void(const BenchResult &)> &progress)
{
    registerQkMetaTypes();
    QuietLog quiet(!m_options.verbose);
    QList<BenchResult> results;
    const QList<BenchScenario> scenarios = BenchScenarios::all();
    for (const BenchScenario &s : scenarios) {
        if (!m_options.selects(s.id))
            continue;
        BenchResult r;
        {
            BenchRig rig(m_options);
            if (rig.isValid()) {
                r = s.run(rig);
            } else {
                r.status = BenchResult::Status::Failed;
                r.note = QStringLiteral("no temporary folder");
            }
        }
        r.id = s.id;
        r.title = s.title;
        r.group = s.group;
        results.append(r);
        if (progress)
            progress(r);
    }
    return results;
}
