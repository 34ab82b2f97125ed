#include "benchoptions.h"

bool BenchOptions::selects(const QString &scenarioId) const
{
    if (only.isEmpty())
        return true;
    for (const QString &part : only) {
        if (scenarioId.contains(part, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool BenchOptions::parse(const QStringList &arguments, BenchOptions *options, QString *error)
{
    BenchOptions o;
    bool repeatGiven = false;
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        QString arg = arguments.at(i);
        QString value;
        bool hasInlineValue = false;
        const int eq = arg.indexOf(QLatin1Char('='));
        if (arg.startsWith(QLatin1String("--")) && eq > 2) {
            value = arg.mid(eq + 1);
            arg = arg.left(eq);
            hasInlineValue = true;
        }
        auto takeValue = [&](QString *out) {
            if (hasInlineValue) {
                *out = value;
                return true;
            }
            if (i + 1 >= arguments.size())
                return false;
            *out = arguments.at(++i);
            return true;
        };
        auto takeInt = [&](int minimum, int *out) {
            QString text;
            if (!takeValue(&text))
                return fail(QStringLiteral("%1 needs a value").arg(arg));
            bool ok = false;
            const int v = text.toInt(&ok);
            if (!ok || v < minimum)
                return fail(QStringLiteral("%1: \"%2\" is not a whole number >= %3").arg(arg, text).arg(minimum));
            *out = v;
            return true;
        };
        const bool flag = !hasInlineValue;
        if (arg == QLatin1String("--quick") && flag) {
            o.quick = true;
        } else if (arg == QLatin1String("--described-pacing") && flag) {
            o.describedPacing = true;
        } else if (arg == QLatin1String("--verbose") && flag) {
            o.verbose = true;
        } else if (arg == QLatin1String("--list") && flag) {
            o.list = true;
        } else if ((arg == QLatin1String("--help") || arg == QLatin1String("-h")) && flag) {
            o.help = true;
        } else if (arg == QLatin1String("--json")) {
            if (!takeValue(&o.jsonFile) || o.jsonFile.isEmpty())
                return fail(QStringLiteral("--json needs a file name"));
        } else if (arg == QLatin1String("--only")) {
            QString part;
            if (!takeValue(&part) || part.isEmpty())
                return fail(QStringLiteral("--only needs a text"));
            o.only.append(part);
        } else if (arg == QLatin1String("--wire-ms")) {
            if (!takeInt(0, &o.wireMs))
                return false;
        } else if (arg == QLatin1String("--falcon-write-busy-ms")) {
            if (!takeInt(0, &o.falconWriteBusyMs))
                return false;
        } else if (arg == QLatin1String("--repeat")) {
            if (!takeInt(1, &o.repeat))
                return false;
            repeatGiven = true;
        } else {
            return fail(QStringLiteral("unknown option \"%1\"").arg(arguments.at(i)));
        }
    }
    if (o.quick && !repeatGiven)
        o.repeat = kQuickRepeat;
    if (options)
        *options = o;
    return true;
}

QString BenchOptions::usage()
{
    return QStringLiteral(
        "Usage: qk-bench [options]\n"
        "Runs the everyday device operations against the emulated mice on a virtual clock and\n"
        "prints what each costs.\n\n"
        "  --quick                  fewer repetitions of the CPU-only scenarios\n"
        "  --json FILE              also write the figures as JSON to FILE\n"
        "  --only TEXT              only scenarios whose id contains TEXT (repeatable)\n"
        "  --wire-ms N              wire time of one started 64-byte packet (default %1)\n"
        "  --falcon-write-busy-ms N time a Falcon memory write keeps the mouse busy (default %2)\n"
        "  --described-pacing       fixed waits before every status poll (the drivers' setting)\n"
        "  --repeat N               repetitions of the CPU-only scenarios (default %3, quick %4)\n"
        "  --verbose                keep the driver's debug log on stderr\n"
        "  --list                   list the scenario ids and stop\n")
        .arg(kDefaultWireMs)
        .arg(kDefaultFalconWriteBusyMs)
        .arg(kDefaultRepeat)
        .arg(kQuickRepeat);
}
