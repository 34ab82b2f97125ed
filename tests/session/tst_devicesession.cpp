#include "session/devicesession.h"
#include "fakemanager.h"
#include "sim/falconmousedevice.h"
#include "sim/ospreymousedevice.h"
#include "common/pacer.h"
#include "support/busrig.h"
#include "sim/virtualhidbus.h"
#include "storage/storagepaths.h"
#include "support/sessionrig.h"

#include <QSignalSpy>
#include <QtTest>

class TstDeviceSession : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void plugOpensAndUnplugTearsDown();
    void manualModeOnlyReports();
    void storePictureNeedsAScreen_data();
    void storePictureNeedsAScreen();
    void quietRequestsReportFailure_data();
    void quietRequestsReportFailure();
};

namespace {
DCDataHandle::ManagerFactory fakeFactory(const FakeManager::Script &script = {})
{
    return [script](const DCDataHandle::ManagerChoice &) {
        return std::unique_ptr<USBDriverManger>(std::make_unique<FakeManager>(script));
    };
}
} // namespace

void TstDeviceSession::plugOpensAndUnplugTearsDown()
{
    BusRig rig;
    DeviceSession session(fakeFactory());
    QSignalSpy found(&session, &DeviceSession::deviceFound);
    QSignalSpy lost(&session, &DeviceSession::deviceLost);
    QSignalSpy opened(session.coordinator(), &DCDataHandle::sig_OpenDeviceResult);
    session.setWatchInterval(10);
    session.start();

    const int id = rig.bus.plug(std::make_shared<FalconMouseDevice>(0x4130));
    QTRY_COMPARE(opened.size(), 1);
    QCOMPARE(found.first().first().toUInt(), 0x4130u);
    QCOMPARE(opened.first(), (QList<QVariant>{true, 11, false}));

    // A request from the UI thread reaches the manager in the coordinator's thread (once the
    // open, which raises its own loading indications after its result, has ended).
    session.runOnCoordinator([] {});
    QSignalSpy rate(session.coordinator(), &DCDataHandle::sig_ShowLoadingDialog);
    session.setReportRate(2);
    QTRY_COMPARE(rate.size(), 1);
    session.runOnCoordinator([&] {
        auto *m = static_cast<FakeManager *>(session.coordinator()->manager());
        QVERIFY(m->calls.contains("SetUsbReportRate 2"));
    });

    rig.bus.unplug(id);
    QTRY_COMPARE(lost.size(), 1);
    QTRY_VERIFY([&] {
        bool gone = false;
        session.runOnCoordinator([&] { gone = session.coordinator()->manager() == nullptr; });
        return gone;
    }());
}

void TstDeviceSession::manualModeOnlyReports()
{
    BusRig rig;
    DeviceSession session(fakeFactory());
    session.setAutoOpen(false);
    QSignalSpy found(&session, &DeviceSession::deviceFound);
    QSignalSpy opened(session.coordinator(), &DCDataHandle::sig_OpenDeviceResult);
    session.setWatchInterval(10);
    session.start();
    rig.bus.plug(std::make_shared<OspreyMouseDevice>(0x4122));
    QTRY_COMPARE(found.size(), 1);
    QCOMPARE(found.first().first().toUInt(), 0x4122u);
    QTest::qWait(50);
    QCOMPARE(opened.size(), 0);
}

void TstDeviceSession::storePictureNeedsAScreen_data()
{
    QTest::addColumn<QString>("device"); // empty: nothing open
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("stored");
    QTest::newRow("nothing open") << QString() << 11 << false;
    QTest::newRow("KiteC, no screen") << "kitec" << 7 << false;
    QTest::newRow("Falcon") << "falcon" << 11 << true;
    QTest::newRow("FalconQ") << "falconq" << 10 << true;
}

void TstDeviceSession::storePictureNeedsAScreen()
{
    QFETCH(QString, device);
    QFETCH(int, model);
    QFETCH(bool, stored);
    SessionRig rig;
    if (!device.isEmpty()) {
        QVERIFY(rig.plug(device));
        QVERIFY(rig.open(device).ok);
    }
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::black);
    picture.setPixelColor(5, 7, Qt::white);
    QString problem;
    QCOMPARE(rig.session().storePicture(2, picture, &problem), stored);
    QCOMPARE(problem.isEmpty(), stored);
    const QString path = StoragePaths::picturePath(model, 2);
    QCOMPARE(QFile::exists(path), stored);
    if (stored)
        QCOMPARE(QImage(path).convertToFormat(QImage::Format_RGB32), picture);
}

// Requests that show no warning when the mouse refuses them still report the refusal.
void TstDeviceSession::quietRequestsReportFailure_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<bool>("mouseTakesIt");
    for (const char *request : {"picture", "button macro", "save to configuration 1"}) {
        QTest::addRow("%s, taken", request) << request << true;
        QTest::addRow("%s, refused", request) << request << false;
    }
}

void TstDeviceSession::quietRequestsReportFailure()
{
    QFETCH(QString, request);
    QFETCH(bool, mouseTakesIt);
    BusRig rig;
    FakeManager::Script script;
    script.writes = mouseTakesIt;
    DeviceSession session(fakeFactory(script));
    session.setAutoOpen(false);
    rig.bus.plug(std::make_shared<FalconMouseDevice>(0x4130));
    QVERIFY(session.wait(session.openDevice(0x4130)).ok);
    const int configBefore = session.state().configNumber();
    DeviceSession::RequestId id = 0;
    if (request == QLatin1String("picture"))
        id = session.writePicture(QStringLiteral("2"));
    else if (request == QLatin1String("button macro"))
        id = session.setButtonMacroSlot(5, 0x1000, 1);
    else
        id = session.saveToConfiguration1();
    const RequestOutcome outcome = session.wait(id);
    QCOMPARE(outcome.ok, mouseTakesIt);
    QVERIFY(outcome.warnings.isEmpty()); // quiet either way
    if (request == QLatin1String("save to configuration 1"))
        QCOMPARE(session.state().configNumber(), mouseTakesIt ? 1 : configBefore);
}

QTEST_GUILESS_MAIN(TstDeviceSession)
#include "tst_devicesession.moc"
