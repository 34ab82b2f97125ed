// What the session keeps for the pages besides the mouse itself: the DPI rows' gear view (which
// rows are enabled, the value each last showed) and the macro library the button dialog lists.

#include "storage/storagepaths.h"
#include "support/sessionrig.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

class TstPageViews : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void dpiGearsFollowTheRows_data();
    void dpiGearsFollowTheRows();
    void macroLibrary();
};

void TstPageViews::dpiGearsFollowTheRows_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("relative");
    QTest::newRow("falcon") << "falcon" << true;
    QTest::newRow("osprey") << "osprey" << false;
}

void TstPageViews::dpiGearsFollowTheRows()
{
    QFETCH(QString, device);
    QFETCH(bool, relative);
    SessionRig rig;
    QVERIFY(rig.plug(device));
    QVERIFY(rig.open(device).ok);
    QCOMPARE(rig.state().dpiGears().relative, relative);
    QVERIFY(rig.wait(rig.session().setDpiStages({800, 0, 1600, 0, 3200, 0, 0})).ok);
    QCOMPARE(rig.state().dpiGears().enabled, (QList<bool>{true, false, true, false, true, false, false}));
    QVERIFY(rig.wait(rig.session().setDpiRowValue(1, 1200)).ok);
    QCOMPARE(rig.state().dpiGears().values.value(1), 1200);
    QVERIFY(!rig.wait(rig.session().setDpiRowValue(7, 1200)).ok);
    // Kept in the gear file of the configuration the mouse matches.
    const int config = rig.state().configNumber();
    if (config > 0) {
        QFile file(StoragePaths::cpiSettingFile(rig.state().modelCode(), config));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonArray gears = QJsonDocument::fromJson(file.readAll()).object().value("GearData").toArray();
        QCOMPARE(gears.at(1).toObject().value("GearCurrentValue").toInt(), 1200);
    }
    QVERIFY(rig.wait(rig.session().closeDevice()).ok);
    QVERIFY(rig.state().dpiGears().enabled.isEmpty());
}

void TstPageViews::macroLibrary()
{
    SessionRig rig;
    QDir root(StoragePaths::macroFolder());
    for (const char *file : {"Work/b.json", "Work/a.json", "Game/z.json"}) {
        root.mkpath(QFileInfo(root.filePath(file)).path());
        QFile f(root.filePath(file));
        QVERIFY(f.open(QIODevice::WriteOnly));
        // The editor's files carry the user's name; a file without one is shown by its file name.
        const QByteArray name = file[5] == 'b' ? ",\"Name\":\"Burst fire\"" : "";
        f.write(QByteArray("{\"MacroType\":") + (file[0] == 'G' ? "4" : "1") + name + "}");
    }
    const auto library = DeviceSession::macroLibrary();
    QStringList seen;
    for (const auto &group : library)
        for (const DeviceSession::MacroFile &m : group.second)
            seen << QStringLiteral("%1/%2:%3").arg(group.first, m.name).arg(m.macroType);
    // PlayerCustom is the folder the macro editor keeps its own macros in.
    seen.removeAll(QString());
    QStringList expected{"Game/z:4", "Work/a:1", "Work/Burst fire:1"};
    for (const QString &s : seen)
        QVERIFY2(expected.contains(s) || s.startsWith(QLatin1String("PlayerCustom/")), qPrintable(s));
    QCOMPARE(seen.filter(QRegularExpression("^(Game|Work)/")), expected);
}

QTEST_GUILESS_MAIN(TstPageViews)
#include "tst_pageviews.moc"
