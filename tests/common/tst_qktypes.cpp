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

QTEST_GUILESS_MAIN(TstQkTypes)
#include "tst_qktypes.moc"
