// The .deb as a user gets it: packed by CPack from the build folder the suite built, unpacked into
// a scratch root, its programs run from there and its desktop files checked by the validators.

#include "catalog/modelcatalog.h"
#include "device/watcher/producttable.h"

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QtTest>

namespace {
struct Run
{
    int code = -1;
    QString out;
};

Run run(const QString &program, const QStringList &args, const QProcessEnvironment &env = {},
        int timeoutMs = 120000)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (!env.isEmpty())
        p.setProcessEnvironment(env);
    p.start(program, args);
    Run r;
    if (!p.waitForStarted() || !p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.out = QStringLiteral("%1 did not run: %2").arg(program, p.errorString());
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAll());
    return r;
}

QProcessEnvironment plainEnvironment(const QString &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QKDRIVER_HOME", "QKDRIVER_SIMULATE", "QKDRIVER_VENDOR_ID", "XDG_DATA_HOME"})
        env.remove(name);
    env.insert("HOME", home);
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    return env;
}

QSet<QString> filesBelow(const QString &dir)
{
    QSet<QString> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.insert(it.next());
    return files;
}

const QString kId = QStringLiteral(QK_APP_ID);
} // namespace

class TstPackage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void contents_data();
    void contents();
    void nothingElseInstalled();
    void icons_data();
    void icons();
    void control();
    void installedProgramRuns();
    void ruleNamesEveryDevice_data();
    void ruleNamesEveryDevice();
    void desktopEntryValid();
    void metainfoValid();
    void installedProgramKeepsDataInHome();
    void manualNamesEveryCommand();

private:
    QString m_scratch;
    QString m_deb;
    QString m_root;
    QStringList m_listing; // "usr/bin/qkdriverctl", ...
};

void TstPackage::initTestCase()
{
    m_scratch = QStringLiteral(QK_BUILD_DIR "/packaging/test");
    QDir(m_scratch).removeRecursively();
    QVERIFY(QDir().mkpath(m_scratch));
    // gzip instead of xz: the same package, packed in a fraction of the time.
    const Run pack = run(QStringLiteral(QK_CPACK), {"--config", QK_BUILD_DIR "/CPackConfig.cmake", "-G", "DEB",
                                                    "-B", m_scratch, "-D", "CPACK_DEBIAN_COMPRESSION_TYPE=gzip"},
                         {}, 540000);
    QVERIFY2(pack.code == 0, qPrintable(pack.out));
    const QStringList debs = QDir(m_scratch).entryList({"*.deb"}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    m_deb = m_scratch + '/' + debs.first();

    const Run list = run("dpkg-deb", {"--contents", m_deb});
    QVERIFY2(list.code == 0, qPrintable(list.out));
    for (const QString &line : list.out.split('\n', Qt::SkipEmptyParts)) {
        QString path = line.section(' ', -1); // "... ./usr/bin/qkdriverctl"
        if (line.contains(" -> "))
            path = line.section(" -> ", 0, 0).section(' ', -1);
        if (!path.endsWith('/'))
            m_listing << path.mid(2);
    }
    m_root = m_scratch + "/root";
    const Run unpack = run("dpkg-deb", {"-x", m_deb, m_root});
    QVERIFY2(unpack.code == 0, qPrintable(unpack.out));
}

void TstPackage::contents_data()
{
    QTest::addColumn<QString>("path");
    QStringList paths{"usr/bin/QKDriver",
                      "usr/bin/qkdriverctl",
                      "usr/lib/udev/rules.d/70-qkdriver.rules",
                      "usr/share/applications/" + kId + ".desktop",
                      "usr/share/metainfo/" + kId + ".metainfo.xml",
                      "usr/share/icons/hicolor/scalable/apps/" + kId + ".svg",
                      "usr/share/man/man1/qkdriverctl.1.gz",
                      "usr/share/qkdriver/Language/translate.json"};
    if (QK_HAS_SERVER)
        paths << "usr/bin/qkdriver-server" << "usr/lib/systemd/system/qkdriver-server.service";
    for (const QString &p : paths)
        QTest::newRow(qPrintable(p)) << p;
}

void TstPackage::contents()
{
    QFETCH(QString, path);
    QVERIFY2(m_listing.contains(path), qPrintable(m_listing.join('\n')));
    QVERIFY(QFileInfo(m_root + '/' + path).isFile());
}

void TstPackage::nothingElseInstalled()
{
    for (const QString &path : qAsConst(m_listing)) {
        QVERIFY2(path.startsWith("usr/"), qPrintable(path));
        QVERIFY2(!path.contains("tst_") && !path.endsWith(".a") && !path.contains("qkart"), qPrintable(path));
    }
}

void TstPackage::icons_data()
{
    QTest::addColumn<int>("size");
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        QTest::addRow("%dpx", size) << size;
}

void TstPackage::icons()
{
    QFETCH(int, size);
    const QString rel = QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kId);
    QVERIFY(m_listing.contains(rel));
    const QImage icon(m_root + '/' + rel);
    QCOMPARE(icon.size(), QSize(size, size));
    // Drawn, not blank: the tile covers the middle, the corners stay transparent.
    QCOMPARE(icon.pixelColor(size / 2, size / 2).alpha(), 255);
    QCOMPARE(icon.pixelColor(0, 0).alpha(), 0);
}

void TstPackage::control()
{
    const Run fields = run("dpkg-deb", {"--field", m_deb, "Package", "Version", "Depends"});
    QVERIFY2(fields.code == 0, qPrintable(fields.out));
    QVERIFY2(fields.out.contains("Package: qkdriver\n"), qPrintable(fields.out));
    QVERIFY2(fields.out.contains("Version: " QK_VERSION "\n"), qPrintable(fields.out));
    for (const char *dependency : {"libhidapi-hidraw0", "libqt5widgets5", "libqt5svg5", "libqt5network5"})
        QVERIFY2(fields.out.contains(dependency), qPrintable(fields.out));
}

void TstPackage::installedProgramRuns()
{
    const Run version = run(m_root + "/usr/bin/qkdriverctl", {"--version"}, plainEnvironment(m_scratch + "/home"));
    QCOMPARE(version.code, 0);
    QCOMPARE(version.out, QStringLiteral("qkdriverctl " QK_VERSION "\n"));
    // The installed rule is what the installed program prints.
    const Run rules = run(m_root + "/usr/bin/qkdriverctl", {"udev-rules"}, plainEnvironment(m_scratch + "/home"));
    QCOMPARE(rules.code, 0);
    QFile installed(m_root + "/usr/lib/udev/rules.d/70-qkdriver.rules");
    QVERIFY(installed.open(QIODevice::ReadOnly));
    QCOMPARE(rules.out, QString::fromUtf8(installed.readAll()));
}

void TstPackage::ruleNamesEveryDevice_data()
{
    QTest::addColumn<int>("vendor");
    QTest::addColumn<int>("product");
    const int v = ProductTable::kBuildVendorId;
    for (const Catalog::Model &m : Catalog::models()) {
        QTest::addRow("%s cable", m.name) << v << int(m.cableId);
        if (m.hasReceiver())
            QTest::addRow("%s receiver", m.name) << v << int(m.receiverId);
    }
    QTest::newRow("falcon boot loader") << v << int(ProductTable::kFalconBootProductId);
    QTest::newRow("osprey boot loader") << int(ProductTable::kLoaderVendorId) << int(ProductTable::kLoaderProductId);
}

void TstPackage::ruleNamesEveryDevice()
{
    QFETCH(int, vendor);
    QFETCH(int, product);
    QFile f(m_root + "/usr/lib/udev/rules.d/70-qkdriver.rules");
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString rules = QString::fromUtf8(f.readAll());
    const QString line = QStringLiteral("SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"%1\", ATTRS{idProduct}==\"%2\", TAG+=\"uaccess\"")
                             .arg(vendor, 4, 16, QLatin1Char('0')).arg(product, 4, 16, QLatin1Char('0'));
    QVERIFY2(rules.split('\n').contains(line), qPrintable(line));
}

void TstPackage::desktopEntryValid()
{
    const QString file = m_root + "/usr/share/applications/" + kId + ".desktop";
    const Run check = run("desktop-file-validate", {file});
    QVERIFY2(check.code == 0 && !check.out.contains("error"), qPrintable(check.out));
    QSettings entry(file, QSettings::IniFormat);
    entry.beginGroup("Desktop Entry");
    QVERIFY(QFileInfo(m_root + "/usr/bin/" + entry.value("Exec").toString().section(' ', 0, 0)).isExecutable());
    QCOMPARE(entry.value("Icon").toString(), kId);
}

void TstPackage::metainfoValid()
{
    const QString file = m_root + "/usr/share/metainfo/" + kId + ".metainfo.xml";
    const Run check = run("appstreamcli", {"validate", "--no-net", "--explain", file});
    QVERIFY2(check.code == 0, qPrintable(check.out));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString xml = QString::fromUtf8(f.readAll());
    for (const char *shot : {"main.png", "need-device.png", "warning.png"})
        QVERIFY2(xml.contains(QLatin1String(shot) + QLatin1String("</image>")), shot);
    // One modalias per device the rule opens.
    QFile rules(m_root + "/usr/lib/udev/rules.d/70-qkdriver.rules");
    QVERIFY(rules.open(QIODevice::ReadOnly));
    QCOMPARE(xml.count("<modalias>usb:v"), QString::fromUtf8(rules.readAll()).count("TAG+=\"uaccess\""));
}

void TstPackage::installedProgramKeepsDataInHome()
{
    // The unpacked tree is writable here, as /usr is for root: the program must still keep its
    // configurations in the user's data folder and leave the prefix as it was.
    const QSet<QString> before = filesBelow(m_root);
    const QString home = m_scratch + "/home";
    const Run set = run(m_root + "/usr/bin/qkdriverctl", {"--simulate", "falcon", "set", "dpi", "800,1600"},
                        plainEnvironment(home));
    QVERIFY2(set.code == 0, qPrintable(set.out));
    QCOMPARE(filesBelow(m_root), before);
    QVERIFY(QFileInfo(home + "/.local/share/QKDriver/ConfigFiles/MouseFile/falcon").isDir());
}

void TstPackage::manualNamesEveryCommand()
{
    const Run page = run("gzip", {"-dc", m_root + "/usr/share/man/man1/qkdriverctl.1.gz"});
    QCOMPARE(page.code, 0);
    const Run help = run(m_root + "/usr/bin/qkdriverctl", {"--help"}, plainEnvironment(m_scratch + "/home"));
    QCOMPARE(help.code, 0);
    // "  set dpi 800,1600,3200   DPI stages" -> "set"; the option lines below "options:" end it.
    const QString commands = help.out.section("commands:\n", 1).section("\noptions:", 0, 0);
    QStringList words;
    for (const QString &line : commands.split('\n'))
        if (line.startsWith("  ") && line.at(2).isLower())
            words << line.mid(2).section(' ', 0, 0);
    QVERIFY(words.contains("udev-rules") && words.contains("list"));
    for (QString word : words)
        QVERIFY2(page.out.contains(".B " + word.replace("-", "\\-")) || page.out.contains(".BI \"" + word + " "),
                 qPrintable(word));
}

QTEST_GUILESS_MAIN(TstPackage)
#include "tst_package.moc"
