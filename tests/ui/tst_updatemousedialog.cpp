#include "common/warning.h"
#include "support/temphome.h"
#include "ui/dialogs/updatemousedialog.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

class TstUpdateMouseDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void updatePath_data();
    void updatePath();
    void selectionAndCountdown();
};

void TstUpdateMouseDialog::updatePath_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("changeable");
    QTest::addColumn<bool>("local");
    QTest::addColumn<QStringList>("outcome"); // what the update button leads to
    QTest::newRow("falcon, downloaded image") << 11 << false << false
                                              << QStringList{"flash /Update/Clouds/falcon/Nuc123.bin falcon"};
    QTest::newRow("kitec, shipped image") << 7 << false << true
                                          << QStringList{"flash /Update/Local/kitec/Nuc123.bin kitec"};
    QTest::newRow("model chosen by the user: confirm first") << 10 << true << true
                                                              << QStringList{"warning 39", "flash /Update/Local/falconq/Nuc123.bin falconq"};
    QTest::newRow("osprey: the maker's updater, named plainly here")
        << 3 << false << false << QStringList{"warning 41", "message 54"};
}

void TstUpdateMouseDialog::updatePath()
{
    QFETCH(int, model);
    QFETCH(bool, changeable);
    QFETCH(bool, local);
    QFETCH(QStringList, outcome);
    TempHome home;
    UpdateMouseDialog d(changeable, local);
    QStringList seen;
    connect(&d, &UpdateMouseDialog::sig_ShowWarningDialog, [&](int type) {
        seen << QStringLiteral("warning %1").arg(type);
        // The user confirms: the warning dialog's outcome comes back.
        if (type == toInt(Warning::UpdateWithoutModelChoice))
            d.slot_UpdateFirmware();
        if (type == toInt(Warning::ConfirmOspreyFamilyUpdate))
            d.slot_runMakersUpdater();
    });
    connect(&d, &UpdateMouseDialog::sig_ShowWarningDialogWithMessage,
            [&](int type, const QString &) { seen << QStringLiteral("message %1").arg(type); });
    connect(&d, &UpdateMouseDialog::sig_UpdateFirmwareKelvo, [&](const QString &path, const QString &name) {
        seen << QStringLiteral("flash %1 %2").arg(path.mid(home.path().size()), name);
    });
    d.setCurrentMouseType(model);
    QCOMPARE(d.selectedMouseType(), model);
    QTest::mouseClick(d.findChild<QPushButton *>("updateFirmwareButton"), Qt::LeftButton);
    QCOMPARE(seen, outcome);
}

void TstUpdateMouseDialog::selectionAndCountdown()
{
    TempHome home;
    UpdateMouseDialog fixed(false, false);
    fixed.setCurrentMouseType(11);
    QVERIFY(fixed.tileEnabled(11));
    QVERIFY(!fixed.tileEnabled(3)); // the attached model only

    UpdateMouseDialog d(true, true);
    d.setCurrentMouseType(d.tileModels().last());
    QVERIFY(d.tileEnabled(3));
    d.on_MoustToRightButton_clicked(); // a ring: past the last comes the first
    QCOMPARE(d.selectedMouseType(), d.tileModels().first());
    d.on_MoustToLeftButton_clicked();
    QCOMPARE(d.selectedMouseType(), d.tileModels().last());

    d.setCurrentMouseType(11);
    d.show();
    d.slot_runUpdateExe();
    QVERIFY(d.countdownText().endsWith(" 20s"));
    for (int i = 0; i < 3; ++i)
        d.slot_shortTimeOut();
    QVERIFY(d.countdownText().endsWith(" 17s"));
    d.slot_longTimeOut();
    QVERIFY(!d.isVisible());
}

QTEST_MAIN(TstUpdateMouseDialog)
#include "tst_updatemousedialog.moc"
