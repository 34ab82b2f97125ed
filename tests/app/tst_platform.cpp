#include "app/platform/pointersettings.h"
#include "app/platform/processes.h"
#include "app/platform/restarter.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace platform;

Q_DECLARE_METATYPE(platform::ToolResult)

namespace {
QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TstPlatform : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void speedWithoutDesktopTool();
    void desktopChoice_data();
    void desktopChoice();
    void speedFromDesktop_data();
    void speedFromDesktop();
    void speedToDesktop_data();
    void speedToDesktop();
    void listFindsThisProcess();
    void endChildProcess();
    void endRefusesUnsafeIds_data();
    void endRefusesUnsafeIds();
    void restartWaitsForProcess();
    void restartRefusesEmptyRequest();

private:
    // A folder holding an executable named "gsettings", so the tool lookup succeeds; the fake
    // runner answers in its place.
    QTemporaryDir m_toolDir;
    void makeTool();
};

void TstPlatform::makeTool()
{
    QFile tool(m_toolDir.filePath("gsettings"));
    QVERIFY(tool.open(QIODevice::WriteOnly));
    tool.write("#!/bin/sh\nexit 1\n");
    tool.close();
    QVERIFY(tool.setPermissions(tool.permissions() | QFile::ExeOwner));
}

void TstPlatform::speedWithoutDesktopTool()
{
    QTemporaryDir empty;
    bool ran = false;
    GnomePointerSettings settings({empty.path()}, [&](const QString &, const QStringList &) {
        ran = true;
        return ToolResult{true, 0, "0.5", {}};
    });
    const PointerValue speed = settings.pointerSpeed();
    QVERIFY(!speed.available);
    QVERIFY(speed.reason.contains("gsettings"));
    QCOMPARE(settings.setPointerSpeed(12), speed.reason);
    QVERIFY(!ran);
    const PointerValue lines = settings.wheelLines();
    QVERIFY(!lines.available);
    QVERIFY(!lines.reason.isEmpty());
}

void TstPlatform::desktopChoice_data()
{
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<bool>("gnome");
    QTest::newRow("GNOME") << "GNOME" << true;
    QTest::newRow("Ubuntu") << "ubuntu:GNOME" << true;
    QTest::newRow("KDE") << "KDE" << false;
    QTest::newRow("KDE, lower case") << "kde" << false;
}

void TstPlatform::desktopChoice()
{
    QFETCH(QString, desktop);
    const std::unique_ptr<PointerSettings> settings = PointerSettings::create(desktop);
    QTEST(dynamic_cast<GnomePointerSettings *>(settings.get()) != nullptr, "gnome");
    if (!dynamic_cast<GnomePointerSettings *>(settings.get())) {
        QVERIFY(!settings->pointerSpeed().available);
        QVERIFY(!settings->setPointerSpeed(10).isEmpty());
    }
}

void TstPlatform::speedFromDesktop_data()
{
    QTest::addColumn<ToolResult>("answer");
    QTest::addColumn<bool>("available");
    QTest::addColumn<int>("speed");
    QTest::newRow("slowest") << ToolResult{true, 0, "-1.0\n", {}} << true << 1;
    QTest::newRow("default") << ToolResult{true, 0, "0.0\n", {}} << true << 10;
    QTest::newRow("fastest") << ToolResult{true, 0, "1.0\n", {}} << true << 20;
    QTest::newRow("half up") << ToolResult{true, 0, "0.5\n", {}} << true << 15;
    QTest::newRow("third down") << ToolResult{true, 0, "-0.333\n", {}} << true << 7;
    QTest::newRow("beyond range") << ToolResult{true, 0, "1.7\n", {}} << true << 20;
    QTest::newRow("not a number") << ToolResult{true, 0, "nan\n", {}} << false << 0;
    QTest::newRow("garbage") << ToolResult{true, 0, "'fast'\n", {}} << false << 0;
    QTest::newRow("no such schema") << ToolResult{true, 1, {}, "No such schema\n"} << false << 0;
    QTest::newRow("hung") << ToolResult{false, -1, {}, {}} << false << 0;
}

void TstPlatform::speedFromDesktop()
{
    QFETCH(ToolResult, answer);
    makeTool();
    QStringList asked;
    GnomePointerSettings settings({m_toolDir.path()}, [&](const QString &program, const QStringList &args) {
        asked = QStringList{program} + args;
        return answer;
    });
    const PointerValue speed = settings.pointerSpeed();
    QCOMPARE(asked, QStringList({m_toolDir.filePath("gsettings"), "get",
                                 "org.gnome.desktop.peripherals.mouse", "speed"}));
    QTEST(speed.available, "available");
    QTEST(speed.value, "speed");
    QCOMPARE(speed.reason.isEmpty(), speed.available);
}

void TstPlatform::speedToDesktop_data()
{
    QTest::addColumn<int>("speed");
    QTest::addColumn<QString>("written"); // empty: nothing may be written
    QTest::newRow("slowest") << 1 << "-1";
    QTest::newRow("below default") << 7 << "-0.333333";
    QTest::newRow("default") << 10 << "0";
    QTest::newRow("half up") << 15 << "0.5";
    QTest::newRow("fastest") << 20 << "1";
    QTest::newRow("zero") << 0 << "";
    QTest::newRow("too fast") << 21 << "";
}

void TstPlatform::speedToDesktop()
{
    QFETCH(int, speed);
    QFETCH(QString, written);
    makeTool();
    QStringList asked;
    GnomePointerSettings settings({m_toolDir.path()}, [&](const QString &, const QStringList &args) {
        asked = args;
        return ToolResult{true, 0, {}, {}};
    });
    const QString reason = settings.setPointerSpeed(speed);
    if (written.isEmpty()) {
        QVERIFY(!reason.isEmpty());
        QVERIFY(asked.isEmpty());
    } else {
        QCOMPARE(reason, QString());
        QCOMPARE(asked, QStringList({"set", "org.gnome.desktop.peripherals.mouse", "speed", written}));
    }
}

void TstPlatform::listFindsThisProcess()
{
    ProcProcesses processes;
    const QList<ProcessEntry> list = processes.list();
    bool found = false;
    for (const ProcessEntry &e : list)
        found |= e.pid == QCoreApplication::applicationPid() && e.name == "tst_platform";
    QVERIFY(found);
    QVERIFY(processes.isRunning("TST_PLATFORM"));
    QVERIFY(!processes.isRunning("KelvoUpdataOnce.exe"));
}

void TstPlatform::endChildProcess()
{
    QProcess child;
    child.start("/bin/cat", QStringList()); // runs until its input closes
    QVERIFY(child.waitForStarted());
    ProcProcesses processes;
    QVERIFY(processes.end(child.processId()));
    QVERIFY(child.waitForFinished(5000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
}

void TstPlatform::endRefusesUnsafeIds_data()
{
    QTest::addColumn<qint64>("pid");
    QTest::newRow("process group") << qint64(0);
    QTest::newRow("every process") << qint64(-1);
    QTest::newRow("group of init") << qint64(-2);
    QTest::newRow("this process") << QCoreApplication::applicationPid();
}

void TstPlatform::endRefusesUnsafeIds()
{
    QFETCH(qint64, pid);
    QVERIFY(!ProcProcesses().end(pid));
    FakeProcesses fake;
    fake.entries = {{pid, "x"}};
    QVERIFY(!fake.end(pid));
}

void TstPlatform::restartWaitsForProcess()
{
    QTemporaryDir dir;
    const QString script = dir.filePath("again.sh");
    const QString marker = dir.filePath("started 'twice'.txt");
    QFile s(script);
    QVERIFY(s.open(QIODevice::WriteOnly));
    // Records whether the awaited process was still there when the program started.
    s.write("#!/bin/sh\nif [ -d /proc/$1 ]; then echo alive; else echo gone; fi > \"$2\"\n");
    s.close();
    QVERIFY(s.setPermissions(s.permissions() | QFile::ExeOwner));

    QProcess child;
    child.start("/bin/cat", QStringList());
    QVERIFY(child.waitForStarted());
    const qint64 pid = child.processId();

    ShellRestarter restarter;
    qint64 helper = 0;
    QVERIFY(restarter.restartAfter({pid, script, {QString::number(pid), marker}}, &helper));
    QVERIFY(helper > 0);
    QVERIFY(QFile::exists(QString("/proc/%1").arg(helper)));
    QVERIFY(!QFile::exists(marker));

    child.closeWriteChannel(); // cat ends; QProcess reaps it, so its id is gone
    QVERIFY(child.waitForFinished(5000));
    QTRY_COMPARE_WITH_TIMEOUT(contents(marker), QByteArray("gone\n"), 10000);
}

void TstPlatform::restartRefusesEmptyRequest()
{
    ShellRestarter restarter;
    QVERIFY(!restarter.restartAfter({0, "/bin/true", {}}));
    QVERIFY(!restarter.restartAfter({QCoreApplication::applicationPid(), QString(), {}}));
}

QTEST_GUILESS_MAIN(TstPlatform)
#include "tst_platform.moc"
