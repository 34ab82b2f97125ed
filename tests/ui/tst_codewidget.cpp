// The wireless pairing page over the simulated receiver: a cable connection fails at once
// without a command, a mouse switched on is paired, a silent one times out once after 200
// polls, and an exit abandons the run without a result.
#include "common/texttable.h"
#include "session/pairingrun.h"
#include "sim/falconmousedevice.h"
#include "sim/falconreceiverdevice.h"
#include "support/pagerig.h"
#include "ui/pages/codewidget.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {
QPushButton *button(QWidget *w, const char *name)
{
    auto *b = w->findChild<QPushButton *>(QLatin1String(name));
    if (!b)
        qFatal("no button %s", name);
    return b;
}

struct Fixture
{
    PageRig rig;
    std::shared_ptr<FalconReceiverDevice> receiver =
        rig.plug<FalconReceiverDevice>(QStringLiteral("falcon-receiver"));
    bool opened = rig.open(QStringLiteral("falcon-receiver")).ok;
    CodeWidget page{&rig.session()};
    QSignalSpy started{&page, &CodeWidget::sig_codeStarted};
    QSignalSpy finished{&page, &CodeWidget::sig_codeFinished};

    PairingRun *run() const { return rig.coordinator()->findChild<PairingRun *>(); }
    // The poll timer runs on real time; the test stops it and polls by hand.
    void holdTimer()
    {
        PairingRun *r = run();
        rig.session().runOnCoordinator([r] {
            for (QTimer *t : r->findChildren<QTimer *>())
                t->stop();
        });
    }
    void poll()
    {
        DCDataHandle *c = rig.coordinator();
        rig.session().runOnCoordinator([c] { c->slot_codetimerout(); });
        rig.settle();
    }
    bool startPairing()
    {
        if (!opened || !rig.show(&page))
            return false;
        QTest::mouseClick(button(&page, "pushButton_code"), Qt::LeftButton);
        rig.settle();
        holdTimer();
        return started.size() == 1 && started.first().first().toBool();
    }
};
} // namespace

class TstCodeWidget : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        TextTable::set(TextTable::loadFile(QStringLiteral(QK_TRANSLATE_JSON), TextTable::kFallbackIndex));
    }
    void cableFailsWithoutACommand();
    void switchedOnMouseIsPaired();
    void silentMouseTimesOutOnce();
    void exitAbandonsWithoutResult_data();
    void exitAbandonsWithoutResult();
    void shots();
};

void TstCodeWidget::cableFailsWithoutACommand()
{
    PageRig rig;
    auto mouse = rig.plug<FalconMouseDevice>(QStringLiteral("falcon"));
    QVERIFY(rig.open(QStringLiteral("falcon")).ok);
    CodeWidget page(&rig.session());
    QSignalSpy started(&page, &CodeWidget::sig_codeStarted);
    QSignalSpy pressed(&page, &CodeWidget::sig_startCode);
    QVERIFY(rig.show(&page));
    const qint64 transfers = mouse->counters().transfers;
    QTest::mouseClick(button(&page, "pushButton_code"), Qt::LeftButton);
    rig.settle();
    QCOMPARE(pressed.size(), 1);
    QCOMPARE(started.size(), 1);
    QCOMPARE(started.first().first().toBool(), false);
    QCOMPARE(mouse->counters().transfers, transfers);
    QCOMPARE(page.currentPage(), int(CodeWidget::InstructionsPage));
    QVERIFY(button(&page, "pushButton_code")->isEnabled());
}

void TstCodeWidget::switchedOnMouseIsPaired()
{
    Fixture f;
    QSignalSpy events(&f.page, &CodeWidget::sig_SendUIEventMessageToGA);
    QVERIFY(f.startPairing());
    QCOMPARE(events.size(), 1);
    QCOMPARE(events.first().at(1).toString(), TextTable::text(65));
    QVERIFY(f.receiver->firmware().pairingMode());
    QCOMPARE(f.page.currentPage(), int(CodeWidget::PairingPage));
    f.poll();
    QCOMPARE(f.finished.size(), 0);
    QVERIFY(f.receiver->switchMouseOn(std::make_shared<FalconMouseDevice>(0x4130)));
    f.poll();
    QCOMPARE(f.finished.size(), 1);
    QCOMPARE(f.finished.first().first().toBool(), true);
    QCOMPARE(f.page.currentPage(), int(CodeWidget::InstructionsPage));
    QVERIFY(!f.page.pairing());
}

void TstCodeWidget::silentMouseTimesOutOnce()
{
    Fixture f;
    QVERIFY(f.startPairing());
    // A real tick may have come before the timer was held: poll up to the 199th by count.
    while (f.run()->ticks() < PairingRun::kTicks - 1)
        f.poll();
    QCOMPARE(f.finished.size(), 0);
    QCOMPARE(f.page.currentPage(), int(CodeWidget::PairingPage));
    f.poll();
    QCOMPARE(f.run()->ticks(), 200);
    QCOMPARE(f.finished.size(), 1);
    QCOMPARE(f.finished.first().first().toBool(), false);
    for (int i = 0; i < 20; ++i)
        f.poll();
    QCOMPARE(f.finished.size(), 1);
    QCOMPARE(f.page.currentPage(), int(CodeWidget::InstructionsPage));
}

void TstCodeWidget::exitAbandonsWithoutResult_data()
{
    QTest::addColumn<QString>("exit");
    QTest::addColumn<int>("events"); // analytics events: the pair button's and the exit's own
    QTest::newRow("exit on the pairing page") << "pushButton_stopCode" << 1;
    QTest::newRow("exit on the instructions") << "pushButton_stopCode_3" << 2;
}

void TstCodeWidget::exitAbandonsWithoutResult()
{
    QFETCH(QString, exit);
    QFETCH(int, events);
    Fixture f;
    QSignalSpy stopped(&f.page, &CodeWidget::sig_stopCode);
    QSignalSpy analytics(&f.page, &CodeWidget::sig_SendUIEventMessageToGA);
    QVERIFY(f.startPairing());
    // The instructions' exit is not on screen while pairing; pressing it still abandons.
    QPushButton *b = button(&f.page, exit.toLatin1().constData());
    b->click();
    f.rig.settle();
    QCOMPARE(stopped.size(), 1);
    QCOMPARE(analytics.size(), events);
    QVERIFY(!f.run()->running());
    for (int i = 0; i < 5; ++i)
        f.poll();
    QCOMPARE(f.finished.size(), 0);
    QCOMPARE(f.page.currentPage(), int(CodeWidget::InstructionsPage));
}

void TstCodeWidget::shots()
{
    Fixture f;
    QVERIFY(f.opened);
    QVERIFY(f.rig.show(&f.page));
    PageRig::shot(&f.page, QStringLiteral("pairing"));
    QVERIFY(f.startPairing());
    PageRig::shot(&f.page, QStringLiteral("pairing-running"));
}

QTEST_MAIN(TstCodeWidget)
#include "tst_codewidget.moc"
