#include "benchreport.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSaveFile>
#include <QStringList>

namespace {
struct Column
{
    QString header;
    bool rightAligned;
};

QString latencyLine(const BenchOptions &o)
{
    return QStringLiteral("Latency model: %1 ms per started 64 bytes of report data (report id not "
                          "counted, at least %1 ms per transfer), Falcon memory write busy %2 ms; "
                          "%5 pacing; CPU-only scenarios repeated %3 times%4.")
        .arg(o.wireMs)
        .arg(o.falconWriteBusyMs)
        .arg(o.repeat)
        .arg(o.quick ? QStringLiteral(" (quick mode)") : QString())
        .arg(o.describedPacing ? QStringLiteral("described") : QStringLiteral("adaptive"));
}
} // namespace

QString BenchReport::cpuText(double cpuMs)
{
    return QString::number(cpuMs, 'f', cpuMs < 10.0 ? 3 : 1);
}

QString BenchReport::table(const QList<BenchResult> &results, const BenchOptions &options)
{
    const QList<Column> columns = {
        {QStringLiteral("#"), true},          {QStringLiteral("Scenario"), false},
        {QStringLiteral("Status"), false},    {QStringLiteral("Requests"), true},
        {QStringLiteral("Transfers"), true},  {QStringLiteral("Bytes out"), true},
        {QStringLiteral("Bytes in"), true},   {QStringLiteral("Slept ms"), true},
        {QStringLiteral("Wire ms"), true},    {QStringLiteral("Total ms"), true},
        {QStringLiteral("CPU ms"), true},     {QStringLiteral("Note"), false},
    };
    QList<QStringList> rows;
    QStringList header;
    for (const Column &c : columns)
        header << c.header;
    rows << header;
    for (const BenchResult &r : results) {
        QStringList row;
        row << (r.group > 0 ? QString::number(r.group) : QStringLiteral("-")) << r.title
            << BenchResult::statusName(r.status);
        if (r.status == BenchResult::Status::Unavailable) {
            for (int i = 0; i < 8; ++i)
                row << QStringLiteral("-");
        } else {
            const BenchFigures &f = r.figures;
            row << QString::number(f.requests) << QString::number(f.transfers)
                << QString::number(f.bytesOut) << QString::number(f.bytesIn)
                << QString::number(f.sleptMs) << QString::number(f.wireMs)
                << QString::number(f.totalMs) << cpuText(f.cpuMs);
        }
        row << r.note;
        rows << row;
    }
    QList<int> widths;
    for (int c = 0; c < columns.size(); ++c) {
        int w = 0;
        for (const QStringList &row : qAsConst(rows))
            w = qMax(w, row.at(c).size());
        widths << w;
    }
    QString out;
    for (const QStringList &row : qAsConst(rows)) {
        QString line;
        for (int c = 0; c < columns.size(); ++c) {
            const QString cell = row.at(c);
            const bool last = c == columns.size() - 1;
            if (c > 0)
                line += QLatin1String("  ");
            if (columns.at(c).rightAligned)
                line += cell.rightJustified(widths.at(c));
            else
                line += last ? cell : cell.leftJustified(widths.at(c));
        }
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        out += line + QLatin1Char('\n');
    }
    out += latencyLine(options) + QLatin1Char('\n');
    return out;
}

QJsonDocument BenchReport::json(const QList<BenchResult> &results, const BenchOptions &options)
{
    QJsonObject model;
    model.insert(QStringLiteral("wireMsPer64Bytes"), options.wireMs);
    model.insert(QStringLiteral("falconWriteBusyMs"), options.falconWriteBusyMs);
    model.insert(QStringLiteral("pollPacing"), options.describedPacing ? QStringLiteral("described")
                                                                      : QStringLiteral("adaptive"));
    model.insert(QStringLiteral("cpuRepeat"), options.repeat);
    model.insert(QStringLiteral("quick"), options.quick);
    QJsonArray scenarios;
    for (const BenchResult &r : results) {
        QJsonObject o;
        o.insert(QStringLiteral("id"), r.id);
        o.insert(QStringLiteral("title"), r.title);
        o.insert(QStringLiteral("group"), r.group);
        o.insert(QStringLiteral("status"), BenchResult::statusName(r.status));
        o.insert(QStringLiteral("note"), r.note);
        const bool has = r.status != BenchResult::Status::Unavailable;
        const BenchFigures &f = r.figures;
        auto put = [&](const char *key, double value) {
            o.insert(QLatin1String(key), has ? QJsonValue(value) : QJsonValue());
        };
        put("requests", double(f.requests));
        put("transfers", double(f.transfers));
        put("bytesOut", double(f.bytesOut));
        put("bytesIn", double(f.bytesIn));
        put("sleptMs", double(f.sleptMs));
        put("wireMs", double(f.wireMs));
        put("totalMs", double(f.totalMs));
        put("cpuMs", f.cpuMs);
        scenarios.append(o);
    }
    QJsonObject root;
    root.insert(QStringLiteral("latencyModel"), model);
    root.insert(QStringLiteral("scenarios"), scenarios);
    return QJsonDocument(root);
}

bool BenchReport::writeJson(const QString &path, const QList<BenchResult> &results,
                            const BenchOptions &options)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = json(results, options).toJson(QJsonDocument::Indented);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
