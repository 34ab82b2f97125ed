#include "app/startup.h"
#include "support/temphome.h"
#include "common/texttable.h"

#include <QApplication>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QWidget>
#include <QtTest>

namespace {
QStringList g_messages;
void capture(QtMsgType, const QMessageLogContext &, const QString &m) { g_messages << m; }

struct Capture
{
    QtMessageHandler previous;
    Capture() : previous(qInstallMessageHandler(capture)) { g_messages.clear(); }
    ~Capture() { qInstallMessageHandler(previous); }
};
} // namespace

class TstStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fonts_data();
    void fonts();
    void missingFontFolder();
    void languageFromFileWithFallback();
    void languageLogLine_data();
    void languageLogLine();
    void styleSheetApplied();
    void wantsFileLog_data();
    void wantsFileLog();
    void secondInstanceHandsOverAndExits();
};

void TstStartup::fonts_data()
{
    QTest::addColumn<QStringList>("files");     // names of garbage "font" files to create
    QTest::addColumn<QStringList>("symlinks");  // names of links to the first file
    QTest::addColumn<int>("errorLines");
    QTest::newRow("empty folder") << QStringList{} << QStringList{} << 0;
    QTest::newRow("unreadable font") << QStringList{"bad.ttf"} << QStringList{} << 1;
    QTest::newRow("hidden files count") << QStringList{".hidden.ttf", "b.otf"} << QStringList{} << 2;
    QTest::newRow("symbolic links skipped") << QStringList{"a.ttf"} << QStringList{"link.ttf"} << 1;
}

void TstStartup::fonts()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, symlinks);
    QFETCH(int, errorLines);
    TempHome home;
    QVERIFY(QDir().mkpath(home.file("/Font")));
    for (const QString &f : files)
        QVERIFY(home.write("/Font/" + f, "this is not a font"));
    for (const QString &l : symlinks)
        QVERIFY(QFile::link(home.file("/Font/" + files.first()), home.file("/Font/" + l)));

    Capture c;
    QCOMPARE(Startup::loadFonts(home.file("/Font")), 0);
    QCOMPARE(g_messages.size(), errorLines);
    for (const QString &m : qAsConst(g_messages))
        QVERIFY2(m.startsWith("error : addApplicationFont"), qPrintable(m));
}

void TstStartup::missingFontFolder()
{
    TempHome home;
    Capture c;
    QCOMPARE(Startup::loadFonts(home.file("/Font")), 0);
    QVERIFY(g_messages.isEmpty());
}

void TstStartup::languageFromFileWithFallback()
{
    TempHome home;
    QLocale::setDefault(QLocale(QLocale::German));
    QVERIFY(home.write("/Language/translate.json", R"([["zh"],["en0","en1"],[],[],["de0"]])"));
    // QLocale::system() ignores setDefault, so compute what the running system will pick.
    const int index = Startup::loadSysLanguage();
    QCOMPARE(index, TextTable::languageIndex(QLocale::system().language()));
    QCOMPARE(TextTable::text(1), QStringLiteral("en1"));
    QCOMPARE(TextTable::text(2), QString());
    QCOMPARE(TextTable::text(-1), QString());

    // A malformed file leaves the table empty and logs "NoArray".
    QVERIFY(home.write("/Language/translate.json", "{"));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^loadSysLanguage"));
    QTest::ignoreMessage(QtDebugMsg, "NoArray");
    Startup::loadSysLanguage();
    QVERIFY(TextTable::texts().isEmpty());
}

void TstStartup::languageLogLine_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("index");
    QTest::newRow("norwegian") << int(QLocale::NorwegianBokmal) << "loadSysLanguage NorwegianBokmal" << 1;
    QTest::newRow("korean") << int(QLocale::Korean) << "loadSysLanguage Korean" << 2;
}

void TstStartup::languageLogLine()
{
    QFETCH(int, language);
    QFETCH(QString, line);
    QFETCH(int, index);
    TempHome home;
    Capture c;
    QCOMPARE(Startup::loadSysLanguage(QLocale::Language(language)), index);
    QVERIFY2(g_messages.contains(line), qPrintable(g_messages.join(" | ")));
}

void TstStartup::styleSheetApplied()
{
    QWidget w;
    QTest::ignoreMessage(QtDebugMsg, "open");
    QVERIFY(Startup::applyStyleSheet(&w));
    QVERIFY(w.styleSheet().contains("QWidget"));
}

void TstStartup::wantsFileLog_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("wanted");
    QTest::newRow("none") << QStringList{"QKDriver"} << false;
    QTest::newRow("-d") << QStringList{"QKDriver", "-d"} << true;
    QTest::newRow("twice") << QStringList{"QKDriver", "-d", "-d"} << true;
    QTest::newRow("case sensitive") << QStringList{"QKDriver", "-D"} << false;
    QTest::newRow("exact match only") << QStringList{"QKDriver", "-debug", "d"} << false;
    QTest::newRow("program path") << QStringList{"-d"} << true;
}

void TstStartup::wantsFileLog()
{
    QFETCH(QStringList, args);
    QFETCH(bool, wanted);
    QCOMPARE(Startup::wantsFileLog(args), wanted);
}

void TstStartup::secondInstanceHandsOverAndExits()
{
    TempHome home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QKDRIVER_HOME", home.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QKDRIVER_BIN, {"-d"});
    QVERIFY(first.waitForStarted());
    // The first instance is ready once its log shows the style sheet was applied.
    auto logText = [&home] {
        QString all;
        for (const QFileInfo &fi : QDir(home.file("/Log")).entryInfoList(QDir::Files))
            all += QString::fromUtf8(home.read("/Log/" + fi.fileName()));
        return all;
    };
    QTRY_VERIFY_WITH_TIMEOUT(logText().contains(": open"), 20000);

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QKDRIVER_BIN, QStringList());
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 255); // main() returned -1
    QTRY_VERIFY_WITH_TIMEOUT(logText().contains("slotMessageReceived \"Osprey\""), 10000);
    QVERIFY(first.state() == QProcess::Running);

    first.kill();
    first.waitForFinished();

    // The killed instance left its lock behind: a new start must take it over and run.
    QProcess third;
    third.setProcessEnvironment(env);
    third.start(QKDRIVER_BIN, {"-d"});
    QVERIFY(third.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(logText().count(": open"), 2, 20000);
    QVERIFY(third.state() == QProcess::Running);
    third.kill();
    third.waitForFinished();
}

QTEST_MAIN(TstStartup)
#include "tst_startup.moc"
