#include "common/filelog.h"
#include "support/temphome.h"

#include <QDir>
#include <QtTest>

class TstFileLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void messageText_data();
    void messageText();
    void installTwiceWritesOnce();
    void hourBoundarySplitsFiles();
    void unwritableFolderDropsSilently();

private:
    static QStringList linesOf(const QString &path);
};

QStringList TstFileLog::linesOf(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TstFileLog::cleanup()
{
    FileLog::uninstall();
    FileLog::setClock({});
}

void TstFileLog::messageText_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("expected");
    QTest::newRow("debug") << int(QtDebugMsg) << "hello";
    QTest::newRow("warning") << int(QtWarningMsg) << "Warning: hello";
    QTest::newRow("critical") << int(QtCriticalMsg) << "Critical: hello";
    QTest::newRow("fatal") << int(QtFatalMsg) << "Fatal: hello";
    QTest::newRow("info is empty") << int(QtInfoMsg) << "";
}

void TstFileLog::messageText()
{
    QFETCH(int, type);
    QFETCH(QString, expected);
    QCOMPARE(FileLog::messageText(QtMsgType(type), QStringLiteral("hello")), expected);
}

void TstFileLog::installTwiceWritesOnce()
{
    TempHome home;
    const QDateTime t(QDate(2026, 3, 4), QTime(9, 15, 30));
    FileLog::setClock([t] { return t; });
    FileLog::install();
    FileLog::install();
    qDebug("one line");
    qWarning("careful");
    FileLog::uninstall();
    const QString path = home.file("/Log/2026_03_04_09.txt");
    QCOMPARE(FileLog::filePathFor(t), path);
    QCOMPARE(linesOf(path),
             QStringList({"2026-03-04 09:15:30: one line", "2026-03-04 09:15:30: Warning: careful"}));
}

void TstFileLog::hourBoundarySplitsFiles()
{
    TempHome home;
    QDateTime t(QDate(2026, 12, 31), QTime(23, 59, 59));
    FileLog::setClock([&t] { return t; });
    FileLog::install();
    qDebug("before");
    t = t.addSecs(1); // midnight: new hour, new day, new year
    qDebug("after");
    FileLog::uninstall();
    QCOMPARE(linesOf(home.file("/Log/2026_12_31_23.txt")), QStringList{"2026-12-31 23:59:59: before"});
    QCOMPARE(linesOf(home.file("/Log/2027_01_01_00.txt")), QStringList{"2027-01-01 00:00:00: after"});
}

void TstFileLog::unwritableFolderDropsSilently()
{
    TempHome home;
    // A plain file where the Log folder should be: the folder cannot be created.
    QVERIFY(home.write("/Log", "not a folder"));
    QVERIFY(!FileLog::write(QtDebugMsg, QStringLiteral("lost")));
    QCOMPARE(home.read("/Log"), QByteArray("not a folder"));
}

QTEST_GUILESS_MAIN(TstFileLog)
#include "tst_filelog.moc"
