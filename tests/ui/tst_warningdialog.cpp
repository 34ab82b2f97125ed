#include "common/mousetype.h"
#include "common/texttable.h"
#include "support/temphome.h"
#include "ui/widgets/warningdialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTextEdit>
#include <QtTest>

#include <memory>
#include <vector>

namespace {
// Text n of the table is "tn", so every shown text names its own number.
QString t(int n) { return n < 0 ? QString() : QStringLiteral("t%1").arg(n); }

// Records the outcome signals a dialog emits (not the analytics event) and the addresses it opens.
struct Outcomes
{
    explicit Outcomes(WarningDialog &d)
    {
        const QMetaObject *mo = d.metaObject();
        for (int i = QDialog::staticMetaObject.methodCount(); i < mo->methodCount(); ++i) {
            const QMetaMethod m = mo->method(i);
            if (m.methodType() == QMetaMethod::Signal && m.name() != "sig_SendUIEventMessageToGA")
                spies.emplace_back(std::make_unique<QSignalSpy>(&d, ("2" + m.methodSignature()).constData()));
        }
        d.setUrlOpener([this](const QUrl &url) { opened << url.toString(); return true; });
    }
    QStringList take()
    {
        QStringList out = opened;
        opened.clear();
        for (auto &spy : spies)
            for (const QList<QVariant> &args : *spy) {
                QStringList a;
                for (const QVariant &v : args)
                    a << v.toString();
                out << spy->signal().left(spy->signal().indexOf('(')) + "(" + a.join(',') + ")";
            }
        for (auto &spy : spies)
            spy->clear();
        return out;
    }
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    QStringList opened;
};

QString visibleButtons(const WarningDialog &d)
{
    QString out;
    for (const char *name : {"OkButton", "Cancle_Button", "WakeUpMouseFailePushButton", "SupportButton"})
        if (d.findChild<QPushButton *>(name)->isVisibleTo(&d))
            out += QString(name).left(1);
    return out;
}
} // namespace

class TstWarningDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QStringList texts;
        for (int i = 0; i < 400; ++i)
            texts << t(i);
        TextTable::set(texts);
    }
    void fillsAndAnswersEveryType_data();
    void fillsAndAnswersEveryType();
    void wakeUpOnlyForReceivers();
    void serverMessages();
    void reminderChoice();
};

void TstWarningDialog::fillsAndAnswersEveryType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("title");
    QTest::addColumn<int>("message");
    QTest::addColumn<QString>("buttons");   // O ok, C cancel, W wake-up, S support
    QTest::addColumn<int>("ok");
    QTest::addColumn<int>("cancel");
    QTest::addColumn<QStringList>("onOk");
    QTest::addColumn<QStringList>("onCancel");
    const QStringList none;
    auto row = [](int type) -> QTestData & { return QTest::newRow(QByteArray::number(type).constData()) << type; };
    row(0) << 1 << 2 << "OC" << 116 << 117 << QStringList{"sig_ResetMouseToOriginal()"} << none;
    row(1) << 40 << 41 << "OC" << 42 << 43 << QStringList{"https://example.org/QKDriver.deb"} << none;
    row(2) << 3 << 4 << "OC" << 116 << 117 << QStringList{"sig_ChangeConfiFileBeforeStartToUploadFile()"} << none;
    row(3) << 5 << 6 << "OC" << 116 << 117 << QStringList{"sig_QuitUser()"} << none;
    row(4) << 7 << 8 << "OC" << 116 << 117 << QStringList{"sig_StarToDownloadFile()"} << none;
    row(6) << 13 << 14 << "O" << 116 << 117 << none << none;
    row(7) << 35 << 36 << "O" << 116 << 117 << QStringList{"sig_UpdateButtonEnable()"} << none;
    row(8) << 37 << 38 << "O" << 39 << 117 << QStringList{"sig_OpenMouseAgain()"} << none;
    row(14) << 83 << 84 << "O" << 277 << 117 << QStringList{"sig_exitSoftware()"} << none;
    row(18) << 87 << 88 << "O" << 277 << 117 << none << none;
    row(26) << 46 << 47 << "OC" << 277 << 278 << QStringList{"sig_ShowUpdateWidget(false,true,9,false)"} << none;
    row(28) << 50 << 51 << "O" << 116 << 117 << QStringList{"sig_QuitUser()"} << none;
    row(31) << 56 << 57 << "O" << 279 << 117 << QStringList{"sig_exitSoftware()"} << none;
    row(32) << 58 << 59 << "O" << 60 << 117 << QStringList{"sig_GetMouseProfileAgain()"} << none;
    row(33) << 63 << 64 << "OC" << 65 << 279 << QStringList{"sig_GoToMatchCodePage()"} << QStringList{"sig_GetMouseProfileAgain()"};
    row(34) << 73 << 74 << "OC" << 277 << 278 << QStringList{"sig_DownloadAndUpdateFirmwareNow()"} << none;
    row(35) << 75 << 76 << "OC" << 277 << 278 << QStringList{"sig_GoToSupportWidget()"} << none;
    row(37) << 67 << 346 << "O" << 279 << 117 << none << none;
    row(38) << 69 << 70 << "OC" << 71 << 72 << QStringList{"sig_SaveCurrentProfileFileToConfig1()"} << QStringList{"sig_ConfigRevcover(1)"};
    row(39) << 77 << 78 << "OC" << 79 << 80 << QStringList{"sig_UpdateFirmwareNow()"} << none;
    row(41) << -1 << 85 << "O" << 86 << 117 << QStringList{"sig_UpdateFirmwareNow_Halden()"} << none;
    row(44) << 89 << 90 << "S" << 116 << 117 << none << none;
    row(47) << 347 << 348 << "O" << 347 << 117 << QStringList{"sig_RestartSoftware()"} << none;
    row(48) << 353 << 354 << "OC" << 353 << 355 << QStringList{"sig_ShowUpdateWidget(false,true,9,false)"} << none;
    row(51) << 351 << 360 << "O" << 277 << 117 << none << none;
    row(52) << 40 << 41 << "OC" << 42 << 43 << QStringList{"https://example.org/QKDriver.deb"} << none;
    row(53) << 369 << 370 << "O" << 116 << 117 << none << none;
    row(54) << -1 << -1 << "OC" << 116 << 117 << none << none;
    row(77) << -1 << -1 << "OC" << 116 << 117 << none << none;
}

void TstWarningDialog::fillsAndAnswersEveryType()
{
    QFETCH(int, type);
    QFETCH(int, title);
    QFETCH(int, message);
    QFETCH(QString, buttons);
    QFETCH(int, ok);
    QFETCH(int, cancel);
    QFETCH(QStringList, onOk);
    QFETCH(QStringList, onCancel);
    MouseType::setCurrent(9);
    for (const char *press : {"OkButton", "Cancle_Button"}) {
        WarningDialog d;
        Outcomes outcomes(d);
        d.setDownloadAddress("https://example.org/QKDriver.deb");
        d.setWarningType(type);
        QCOMPARE(d.findChild<QLabel *>("Title_Label")->text(), t(title));
        QCOMPARE(d.findChild<QTextEdit *>("WarningTextEdit")->toPlainText(), t(message));
        QCOMPARE(visibleButtons(d), buttons);
        QCOMPARE(d.findChild<QPushButton *>("OkButton")->text(), t(ok));
        QCOMPARE(d.findChild<QPushButton *>("Cancle_Button")->text(), t(cancel));
        if (!buttons.contains(press[0]))
            continue;
        d.findChild<QPushButton *>(press)->click();
        QCOMPARE(outcomes.take(), press[0] == 'O' ? onOk : onCancel);
    }
    MouseType::setCurrent(0);
}

void TstWarningDialog::wakeUpOnlyForReceivers()
{
    WarningDialog d;
    Outcomes outcomes(d);
    d.SetPid(0x4139);   // KiteC by cable
    d.setWarningType(32);
    QCOMPARE(visibleButtons(d), QString("O"));
    d.SetPid(0x180C);   // KiteC's receiver
    d.setWarningType(32);
    QCOMPARE(visibleButtons(d), QString("OW"));
    auto *wakeUp = d.findChild<QPushButton *>("WakeUpMouseFailePushButton");
    QCOMPARE(wakeUp->text(), t(223));
    wakeUp->click();
    QCOMPARE(d.warningType(), 33);
    QCOMPARE(d.findChild<QLabel *>("Title_Label")->text(), t(63));
    QCOMPARE(visibleButtons(d), QString("OC"));
    QCOMPARE(outcomes.take(), QStringList());
}

void TstWarningDialog::serverMessages()
{
    WarningDialog d;
    d.setWarningMessage(16, "Network Error, please try again later");
    QCOMPARE(d.findChild<QLabel *>("Title_Label")->text(), t(19));
    QCOMPARE(d.findChild<QTextEdit *>("WarningTextEdit")->toPlainText(), t(359));
    QCOMPARE(visibleButtons(d), QString("O"));
    // Anything else is shown exactly as it came, markup included.
    d.setWarningMessage(54, "<b>Server</b> busy");
    QCOMPARE(d.findChild<QLabel *>("Title_Label")->text(), t(205));
    QCOMPARE(d.findChild<QTextEdit *>("WarningTextEdit")->toPlainText(), QString("<b>Server</b> busy"));
}

void TstWarningDialog::reminderChoice()
{
    TempHome home;
    for (const char *press : {"OkButton", "Cancle_Button"}) {
        QFile::remove(home.file("/NoLongerRemind.ini"));
        WarningDialog d;
        Outcomes outcomes(d);
        d.setWarningType(1);
        auto *remind = d.findChild<QCheckBox *>("NoLongerRemindCheckBox");
        QVERIFY(remind->isVisibleTo(&d));
        remind->setChecked(true);
        d.findChild<QPushButton *>(press)->click();
        QCOMPARE(QSettings(home.file("/NoLongerRemind.ini"), QSettings::IniFormat).value("NotRemind").toInt(), 1);
        // Without a download address the maker's download page opens.
        QCOMPARE(outcomes.take(), press[0] == 'O' ? QStringList{WarningDialog::kDownloadPage} : QStringList());
    }
    QFile::remove(home.file("/NoLongerRemind.ini"));
    WarningDialog unchecked;
    unchecked.setWarningType(1);
    unchecked.findChild<QPushButton *>("Cancle_Button")->click();
    QVERIFY(!QFile::exists(home.file("/NoLongerRemind.ini")));
}

QTEST_MAIN(TstWarningDialog)
#include "tst_warningdialog.moc"
