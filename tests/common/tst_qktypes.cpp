#include "common/pacer.h"
#include "common/qktypes.h"

#include <QtTest>
#include <thread>
#include <vector>

class TstQkTypes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lightColorParamLayout();
    void lightColorParamFromShortBytes();
    void metaTypesCrossThreads();
    void virtualClockAddsUpAcrossThreads();
    void pacingSetting_data();
    void pacingSetting();
};

void TstQkTypes::lightColorParamLayout()
{
    LightColorParam p;
    p.wheel.mode = 2;
    p.wheel.speed = 3;
    p.wheel.degree = 9;
    p.wheel.setColor(0, makeColorRef(0x11, 0x22, 0x33));
    p.logo.mode = 5;
    p.logo.speed = 1;
    p.logo.degree = 7;
    p.logo.setColor(0, makeColorRef(0xAA, 0xBB, 0xCC));
    p.logo.setColor(2, 0x00010203);
    p.logo.setColor(3, 0xFFFFFFFF); // out of range: ignored
    const QByteArray expected = QByteArray::fromHex(
        "020309" "11223300" "00000000" "00000000"
        "050107" "aabbcc00" "00000000" "03020100");
    QCOMPARE(p.toBytes().toHex(), expected.toHex());
    QCOMPARE(LightColorParam::fromBytes(expected), p);
    QCOMPARE(p.logo.color(2), COLORREF(0x00010203));
    QCOMPARE(p.logo.color(3), COLORREF(0));
}

void TstQkTypes::lightColorParamFromShortBytes()
{
    const LightColorParam p = LightColorParam::fromBytes(QByteArray::fromHex("0102"));
    QCOMPARE(p.wheel.mode, BYTE(1));
    QCOMPARE(p.wheel.speed, BYTE(2));
    QCOMPARE(p.toBytes().mid(2), QByteArray(28, '\0'));
}

class Emitter : public QObject
{
    Q_OBJECT
Q_SIGNALS:
    void light(LightColorParam);
    void dpi(QList<DWORD>);
    void colors(QList<COLORREF>);
    void map(QMap<int, QList<int>>);
};

class Receiver : public QObject
{
    Q_OBJECT
public:
    LightColorParam lastLight;
    QList<DWORD> lastDpi;
    QMap<int, QList<int>> lastMap;
public Q_SLOTS:
    void onLight(LightColorParam p) { lastLight = p; }
    void onDpi(QList<DWORD> d) { lastDpi = d; }
    void onMap(QMap<int, QList<int>> m) { lastMap = m; }
};

void TstQkTypes::metaTypesCrossThreads()
{
    registerQkMetaTypes();
    QVERIFY(QMetaType::type("DWORD") != QMetaType::UnknownType);
    QVERIFY(QMetaType::type("USHORT") != QMetaType::UnknownType);
    QVERIFY(QMetaType::type("QList<DWORD>") != QMetaType::UnknownType);
    QVERIFY(QMetaType::type("QList<COLORREF>") != QMetaType::UnknownType);
    QVERIFY(QMetaType::type("QMap<int,QList<int> >") != QMetaType::UnknownType);

    QThread worker;
    Emitter emitter;
    Receiver receiver;
    receiver.moveToThread(&worker);
    connect(&emitter, &Emitter::light, &receiver, &Receiver::onLight, Qt::QueuedConnection);
    connect(&emitter, &Emitter::dpi, &receiver, &Receiver::onDpi, Qt::QueuedConnection);
    connect(&emitter, &Emitter::map, &receiver, &Receiver::onMap, Qt::QueuedConnection);
    worker.start();
    LightColorParam p;
    p.logo.mode = 4;
    Q_EMIT emitter.light(p);
    Q_EMIT emitter.dpi({800, 1600, 0});
    Q_EMIT emitter.map({{1, {2, 3}}});
    QTRY_COMPARE(receiver.lastMap.value(1), (QList<int>{2, 3}));
    QCOMPARE(receiver.lastLight, p);
    QCOMPARE(receiver.lastDpi, (QList<DWORD>{800, 1600, 0}));
    worker.quit();
    worker.wait();
}

void TstQkTypes::virtualClockAddsUpAcrossThreads()
{
    ScopedVirtualPacing pacing;
    QVERIFY(Pacer::virtualClock() == &pacing.clock());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 1000; ++i)
                Pacer::sleepMs(10);
        });
    for (auto &t : threads)
        t.join();
    Pacer::sleepMs(0);
    Pacer::sleepMs(-5);
    pacing.clock().advanceMs(7);
    QCOMPARE(pacing.clock().sleptMs(), qint64(40000));
    QCOMPARE(pacing.clock().sleepCalls(), 4000);
    QCOMPARE(Pacer::nowMs(), qint64(40007));
}

void TstQkTypes::pacingSetting_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("environment");
    QTest::addColumn<bool>("described");
    // The waits before polls 0..9 with a fixed delay of 10 ms.
    QTest::addColumn<QList<int>>("delays");
    const QList<int> adaptive{0, 1, 1, 2, 2, 4, 4, 8, 10, 10};
    const QList<int> fixed{10, 10, 10, 10, 10, 10, 10, 10, 10, 10};
    QTest::newRow("default: adaptive") << QStringList{"QKDriver"} << QByteArray() << false << adaptive;
    QTest::newRow("argument") << QStringList{"QKDriver", "--described-pacing"} << QByteArray() << true << fixed;
    QTest::newRow("environment") << QStringList{} << QByteArray(" Described ") << true << fixed;
    QTest::newRow("other environment value") << QStringList{} << QByteArray("fast") << false << adaptive;
}

void TstQkTypes::pacingSetting()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, environment);
    QFETCH(bool, described);
    QFETCH(QList<int>, delays);
    Pacer::setPollPacing(PollPacing::Adaptive);
    if (environment.isEmpty())
        qunsetenv("QKDRIVER_PACING");
    else
        qputenv("QKDRIVER_PACING", environment);
    const PollPacing pacing = Pacer::applyPacingSetting(arguments);
    QList<int> actual;
    for (int poll = 0; poll < delays.size(); ++poll)
        actual << Pacer::pollDelayMs(poll, 10);
    qunsetenv("QKDRIVER_PACING");
    Pacer::setPollPacing(PollPacing::Adaptive);
    QCOMPARE(pacing == PollPacing::Described, described);
    QCOMPARE(actual, delays);
}

QTEST_GUILESS_MAIN(TstQkTypes)
#include "tst_qktypes.moc"
