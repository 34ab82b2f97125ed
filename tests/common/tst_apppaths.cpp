#include "common/apppaths.h"
#include "support/temphome.h"

#include <QtTest>

class TstAppPaths : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void resolve_data();
    void resolve();
    void homeArgument_data();
    void homeArgument();
    void shippedPathPrefersHome();
    void installedTree();
};

void TstAppPaths::resolve_data()
{
    QTest::addColumn<QString>("override");
    QTest::addColumn<QString>("env");
    QTest::addColumn<bool>("exeWritable");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("portable build") << "" << "" << true << false << "/opt/qk/bin";
    QTest::newRow("read-only portable copy") << "" << "" << false << false << "/home/u/.local/share/QKDriver";
    QTest::newRow("installed, prefix writable (root, ~/.local)") << "" << "" << true << true
                                                                 << "/home/u/.local/share/QKDriver";
    QTest::newRow("installed, read-only prefix") << "" << "" << false << true << "/home/u/.local/share/QKDriver";
    QTest::newRow("environment wins") << "" << "/tmp/qkhome" << true << false << "/tmp/qkhome";
    QTest::newRow("environment wins over installed") << "" << "/tmp/qkhome" << true << true << "/tmp/qkhome";
    QTest::newRow("--home wins over environment") << "/srv/a" << "/tmp/qkhome" << false << true << "/srv/a";
    QTest::newRow("trailing slash and dots cleaned") << "/srv/a/./b/" << "" << true << false << "/srv/a/b";
}

void TstAppPaths::resolve()
{
    QFETCH(QString, override);
    QFETCH(QString, env);
    QFETCH(bool, exeWritable);
    QFETCH(bool, installed);
    QFETCH(QString, expected);
    QCOMPARE(AppPaths::resolve(override, env, "/opt/qk/bin", exeWritable, installed,
                               "/home/u/.local/share/QKDriver"),
             expected);
}

void TstAppPaths::homeArgument_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("dir");
    QTest::newRow("none") << QStringList{"QKDriver", "-d"} << "";
    QTest::newRow("separate") << QStringList{"QKDriver", "--home", "/srv/x"} << "/srv/x";
    QTest::newRow("equals") << QStringList{"QKDriver", "--home=/srv/y", "-d"} << "/srv/y";
    QTest::newRow("missing value") << QStringList{"QKDriver", "--home"} << "";
}

void TstAppPaths::homeArgument()
{
    QFETCH(QStringList, args);
    QFETCH(QString, dir);
    TempHome home; // restores the override afterwards
    QCOMPARE(AppPaths::applyHomeArgument(args), dir);
    QCOMPARE(AppPaths::applicationDir(), dir.isEmpty() ? home.path() : dir);
}

void TstAppPaths::shippedPathPrefersHome()
{
    TempHome home;
    const QString rel = "/Language/translate.json";
    // Nothing in the home: the folder of the executable is tried next; with nothing there
    // either, the home path is returned (the caller reports the missing file).
    QCOMPARE(AppPaths::shippedPath("/no/such/file"), home.file("/no/such/file"));
    QVERIFY(home.write(rel, "[]"));
    QCOMPARE(AppPaths::shippedPath(rel), home.file(rel));
}

void TstAppPaths::installedTree()
{
    // An installed program: <prefix>/bin beside <prefix>/share/qkdriver. A build tree or an
    // unpacked copy has no such folder.
    TempHome tree;
    QVERIFY(QDir().mkpath(tree.file("/usr/bin")));
    QCOMPARE(AppPaths::installedDataDir(tree.file("/usr/bin")), QString());
    QVERIFY(tree.write("/usr/share/qkdriver/Language/translate.json", "[]"));
    QCOMPARE(AppPaths::installedDataDir(tree.file("/usr/bin")), tree.file("/usr/share/qkdriver"));
    QCOMPARE(AppPaths::installedDataDir(tree.file("/usr/bin/")), tree.file("/usr/share/qkdriver"));
    QVERIFY(QDir().mkpath(tree.file("/opt/bin")));
    QCOMPARE(AppPaths::installedDataDir(tree.file("/opt/bin")), QString());
}

QTEST_GUILESS_MAIN(TstAppPaths)
#include "tst_apppaths.moc"
