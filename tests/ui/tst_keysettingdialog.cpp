// The button dialog against simulated mice: what each page sends, checked in the emulator's
// memory or in what the mouse reports back; the macro list limit; the basic list; the status.

#include "common/texttable.h"
#include "storage/storagepaths.h"
#include "support/mousememory.h"
#include "support/pagerig.h"
#include "ui/dialogs/keysettingdialog.h"
#include "ui/keys/keymap.h"
#include "ui/pages/mainsettingwidget.h"
#include "ui/widgets/mypushbutton.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

struct Fixture
{
    PageRig rig;
    std::shared_ptr<VirtualHidDevice> mouse;

    bool open(const QString &name)
    {
        mouse = rig.plug(name);
        return mouse && rig.open(name).ok;
    }
    std::unique_ptr<KeySettingDialog> dialog(int button, int changeType = -1, int value = -1, int modifier = -1)
    {
        auto d = std::make_unique<KeySettingDialog>(&rig.session(), button, changeType, value, modifier);
        rig.show(d.get());
        return d;
    }
    MouseMemory memory() const { return MouseMemory(mouse, rig.state().modelCode()); }
};

// Macro files in a group folder of the macro library (the file names order them).
QStringList makeMacros(const QString &group, int count, int macroType = 1)
{
    QDir dir(StoragePaths::macroFolder());
    dir.mkpath(group);
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = dir.filePath(QStringLiteral("%1/m%2.json").arg(group).arg(i));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(QStringLiteral("{\"Name\":\"m%1\",\"MacroType\":%2}").arg(i).arg(macroType).toUtf8());
        paths << QFileInfo(path).filePath();
    }
    return paths;
}

void click(KeySettingDialog *d, const char *name)
{
    QTest::mouseClick(d->findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton);
}

} // namespace

class TstKeySettingDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void keyCaptureSends_data();
    void keyCaptureSends();
    void keyLandsInProfileBytes_data();
    void keyLandsInProfileBytes();
    void macroListLimit_data();
    void macroListLimit();
    void restrictedMacroRefused_data();
    void restrictedMacroRefused();
    void basicEntry20_data();
    void basicEntry20();
    void disableWins_data();
    void disableWins();
    void statusOfTheButton_data();
    void statusOfTheButton();
    void closesWhenTheMouseLeaves();
    void shots();
};

void TstKeySettingDialog::initTestCase()
{
    TextTable::set(TextTable::loadFile(QFINDTESTDATA("../../resources/Language/translate.json"), 1));
    QVERIFY(!TextTable::text(454).isEmpty());
}

void TstKeySettingDialog::keyCaptureSends_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QList<int>>("keys"); // Qt keys pressed into the key field, in order
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("modifier");
    QTest::addColumn<bool>("lands"); // the mouse takes it (modifiers without a key it refuses)
    QTest::newRow("ctrl alt, no key") << "falcon" << QList<int>{Qt::Key_Control, Qt::Key_Alt} << 0 << 5 << false;
    QTest::newRow("ctrl alt, no key osprey") << "osprey" << QList<int>{Qt::Key_Control, Qt::Key_Alt} << 0 << 5 << false;
    QTest::newRow("shift twice is off") << "falcon" << QList<int>{Qt::Key_Shift, Qt::Key_Shift, Qt::Key_F5} << 0x74 << 0 << true;
    QTest::newRow("last key wins") << "osprey" << QList<int>{Qt::Key_A, Qt::Key_Meta, Qt::Key_B} << 0x42 << 8 << true;
}

void TstKeySettingDialog::keyCaptureSends()
{
    QFETCH(QString, device);
    QFETCH(QList<int>, keys);
    QFETCH(int, value);
    QFETCH(int, modifier);
    QFETCH(bool, lands);
    Fixture f;
    QVERIFY(f.open(device));
    auto d = f.dialog(6);
    QSignalSpy finished(&f.rig.session(), &DeviceSession::requestFinished);
    QSignalSpy sent(d.get(), &KeySettingDialog::sig_ButtonChangeToKey);
    auto *field = d->findChild<QLineEdit *>(QStringLiteral("KeyLineEdit"));
    for (int key : keys) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key(key));
    }
    click(d.get(), "OKButton");
    QCOMPARE(sent.count(), 1);
    QCOMPARE(sent.first(), (QList<QVariant>{6, uint(value), uint(modifier), 29}));
    QVERIFY(!d->isVisible());
    f.rig.settle();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().at(1).value<RequestOutcome>().ok, lands);
    const auto reported = f.rig.state().button(6);
    QCOMPARE(reported && !reported->factory, lands);
    if (lands)
        QCOMPARE((QList<int>{reported->changeType, reported->value, reported->modifier}), (QList<int>{29, value, modifier}));
}

void TstKeySettingDialog::keyLandsInProfileBytes_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("at");       // Falcon: memory address of button 6; Osprey: settings offset
    QTest::addColumn<QByteArray>("bytes");
    // The key A (usage 04) as a plain key entry.
    QTest::newRow("falcon") << "falcon" << 0x608 << QByteArray::fromHex("00000400");
    QTest::newRow("osprey") << "osprey" << 94 << QByteArray::fromHex("00000400");
}

void TstKeySettingDialog::keyLandsInProfileBytes()
{
    QFETCH(QString, device);
    QFETCH(int, at);
    QFETCH(QByteArray, bytes);
    Fixture f;
    QVERIFY(f.open(device));
    QVERIFY(f.memory().bytes(at, 4) != bytes);
    auto d = f.dialog(6);
    auto *field = d->findChild<QLineEdit *>(QStringLiteral("KeyLineEdit"));
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A);
    QCOMPARE(field->text(), QStringLiteral("A"));
    click(d.get(), "OKButton");
    f.rig.settle();
    QCOMPARE(f.memory().bytes(at, 4).toHex(), bytes.toHex());
}

void TstKeySettingDialog::macroListLimit_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("limit");
    QTest::newRow("falcon") << "falcon" << 3;
    QTest::newRow("osprey") << "osprey" << 4;
}

void TstKeySettingDialog::macroListLimit()
{
    QFETCH(QString, device);
    QFETCH(int, limit);
    Fixture f;
    QVERIFY(f.open(device));
    const QStringList paths = makeMacros(QStringLiteral("Game"), limit + 2);
    auto d = f.dialog(4);
    QCOMPARE(d->macroListLimit(), limit);
    click(d.get(), "MarcoEditButton");
    auto *list = d->findChild<QListWidget *>(QStringLiteral("MacroNameListWidget"));
    QCOMPARE(list->count(), limit + 2);
    // Check them in reverse order: the earliest checked goes first when the limit is passed.
    QSignalSpy dropped(d.get(), &KeySettingDialog::sig_SetFirstOneUnchecked);
    QStringList order;
    for (int i = limit + 1; i >= 0; --i) {
        list->item(i)->setCheckState(Qt::Checked);
        order << paths.at(i);
        const QStringList kept = order.mid(qMax(0, order.size() - limit));
        QCOMPARE(d->checkedMacros(), kept);
        int shown = 0;
        for (int r = 0; r < list->count(); ++r)
            shown += list->item(r)->checkState() == Qt::Checked ? 1 : 0;
        QCOMPARE(shown, kept.size());
        QCOMPARE(list->item(limit + 1)->checkState() == Qt::Checked, kept.contains(paths.at(limit + 1)));
    }
    QCOMPARE(dropped.count(), 2);
}

void TstKeySettingDialog::restrictedMacroRefused_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("macroType");
    QTest::addColumn<bool>("refused");
    QTest::newRow("osprey 11 type 4") << "osprey" << 11 << 4 << true;
    QTest::newRow("falcon 12 type 4") << "falcon" << 12 << 4 << true;
    QTest::newRow("falcon 13 type 4") << "falcon" << 13 << 4 << true;
    QTest::newRow("osprey 13 type 4") << "osprey" << 13 << 4 << false;
    QTest::newRow("osprey 11 type 1") << "osprey" << 11 << 1 << false;
}

void TstKeySettingDialog::restrictedMacroRefused()
{
    QFETCH(QString, device);
    QFETCH(int, button);
    QFETCH(int, macroType);
    QFETCH(bool, refused);
    Fixture f;
    QVERIFY(f.open(device));
    const QString path = makeMacros(QStringLiteral("Work"), 1, macroType).first();
    auto d = f.dialog(button);
    QSignalSpy warned(d.get(), &KeySettingDialog::sig_ShowWarningDialog);
    QSignalSpy written(d.get(), &KeySettingDialog::sig_WriteSingleMacro);
    click(d.get(), "MarcoEditButton");
    auto *list = d->findChild<QListWidget *>(QStringLiteral("MacroNameListWidget"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(0)).center());
    click(d.get(), "OKButton");
    QCOMPARE(warned.count(), refused ? 1 : 0);
    if (refused)
        QCOMPARE(warned.first().first().toInt(), 43);
    QCOMPARE(written.count(), refused ? 0 : 1);
    if (!refused)
        QCOMPARE(written.first(), (QList<QVariant>{button, path}));
    QCOMPARE(d->isVisible(), refused);
    f.rig.settle();
}

void TstKeySettingDialog::basicEntry20_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("offered");
    QTest::newRow("left button") << 4 << false;
    QTest::newRow("right button") << 6 << true;
}

void TstKeySettingDialog::basicEntry20()
{
    QFETCH(int, button);
    QFETCH(bool, offered);
    Fixture f;
    QVERIFY(f.open(QStringLiteral("osprey")));
    auto d = f.dialog(button);
    auto *list = d->findChild<QListWidget *>(QStringLiteral("BasicFunctionListWidget"));
    QList<int> entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->item(i)->data(Qt::UserRole).toInt();
    QCOMPARE(entries.contains(20), offered);
    QCOMPARE(entries.size(), offered ? 22 : 21);
    if (button == 4)
        return; // the only left button keeps left click
    // Entry 21 (profile loop) chosen on the basic page lands in the mouse.
    click(d.get(), "BasicFunctionButton");
    list->setCurrentRow(entries.indexOf(21));
    click(d.get(), "OKButton");
    f.rig.settle();
    const auto reported = f.rig.state().button(button);
    QVERIFY(reported);
    QCOMPARE(reported->factory ? -1 : reported->value, 56);
}

void TstKeySettingDialog::disableWins_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("page");
    QTest::newRow("key page") << "falcon" << "ConbinationKeyButton";
    QTest::newRow("macro page") << "osprey" << "MarcoEditButton";
    QTest::newRow("basic page") << "falcon" << "BasicFunctionButton";
    QTest::newRow("advanced page") << "osprey" << "HighestFunctionButton";
}

void TstKeySettingDialog::disableWins()
{
    QFETCH(QString, device);
    QFETCH(QString, page);
    Fixture f;
    QVERIFY(f.open(device));
    makeMacros(QStringLiteral("Game"), 2);
    auto d = f.dialog(7);
    QSignalSpy sent(d.get(), &KeySettingDialog::sig_ButtonChangeToKey);
    QSignalSpy macro(d.get(), &KeySettingDialog::sig_WriteSingleMacro);
    // A choice on every page, then the page under test shown.
    auto *field = d->findChild<QLineEdit *>(QStringLiteral("KeyLineEdit"));
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Q);
    click(d.get(), "MarcoEditButton");
    auto *macros = d->findChild<QListWidget *>(QStringLiteral("MacroNameListWidget"));
    QTest::mouseClick(macros->viewport(), Qt::LeftButton, Qt::NoModifier, macros->visualItemRect(macros->item(0)).center());
    click(d.get(), "BasicFunctionButton");
    d->findChild<QListWidget *>(QStringLiteral("BasicFunctionListWidget"))->setCurrentRow(3);
    click(d.get(), "HighestFunctionButton");
    d->findChild<QCheckBox *>(QStringLiteral("OpenFileCheckBox"))->setChecked(true);
    d->findChild<QLineEdit *>(QStringLiteral("OpenFileLineEdit"))->setText(QStringLiteral("/tmp/x"));
    click(d.get(), page.toLatin1().constData());
    QTest::mouseClick(d->findChild<QCheckBox *>(QStringLiteral("DisableKeyCheckBox")), Qt::LeftButton);
    click(d.get(), "OKButton");
    QCOMPARE(sent.count(), 1);
    QCOMPARE(sent.first(), (QList<QVariant>{7, 0u, 0u, 41}));
    QVERIFY(macro.isEmpty());
    f.rig.settle();
    const auto reported = f.rig.state().button(7);
    QVERIFY(reported && !reported->factory);
    QCOMPARE(reported->changeType, 41);
}

void TstKeySettingDialog::statusOfTheButton_data()
{
    QTest::addColumn<bool>("changed");
    QTest::newRow("factory function") << false;
    QTest::newRow("changed") << true;
}

void TstKeySettingDialog::statusOfTheButton()
{
    QFETCH(bool, changed);
    Fixture f;
    QVERIFY(f.open(QStringLiteral("falcon")));
    if (changed)
        f.rig.wait(f.rig.session().setButton(6, 0x41, 1, 29));
    MainSettingWidget page(&f.rig.session());
    f.rig.settle();
    QVERIFY(f.rig.show(&page));
    QSignalSpy asked(&page, &MainSettingWidget::sig_showKeySettingDialog);
    QTest::mouseClick(page.buttons().value(6), Qt::LeftButton);
    QCOMPARE(asked.count(), 1);
    const QList<QVariant> args = asked.first();
    QCOMPARE(args.at(0).toInt(), 6);
    QCOMPARE(args.at(1).toInt() == -1, !changed);
    auto d = f.dialog(6, args.at(1).toInt(), args.at(2).toInt(), args.at(3).toInt());
    auto *status = d->findChild<QLabel *>(QStringLiteral("StatusLabel"));
    QCOMPARE(status->isVisible(), changed);
    if (changed)
        QVERIFY(status->text().contains(KeyMap::modifierName(1)) && status->text().contains(QLatin1String("A")));
}

void TstKeySettingDialog::closesWhenTheMouseLeaves()
{
    Fixture f;
    QVERIFY(f.open(QStringLiteral("osprey")));
    auto d = f.dialog(5);
    QSignalSpy sent(d.get(), &KeySettingDialog::sig_ButtonChangeToKey);
    QVERIFY(d->isVisible());
    f.rig.wait(f.rig.session().closeDevice());
    QVERIFY(!d->isVisible());
    QCOMPARE(d->result(), int(QDialog::Rejected));
    QVERIFY(sent.isEmpty());
}

void TstKeySettingDialog::shots()
{
    Fixture f;
    QVERIFY(f.open(QStringLiteral("falcon")));
    makeMacros(QStringLiteral("Game"), 5);
    makeMacros(QStringLiteral("Office"), 2);
    auto d = f.dialog(4, 29, 0x41, 5);
    auto *list = d->findChild<QListWidget *>(QStringLiteral("MacroNameListWidget"));
    list->item(1)->setCheckState(Qt::Checked);
    list->item(3)->setCheckState(Qt::Checked);
    const char *pages[] = {"ConbinationKeyButton", "MarcoEditButton", "BasicFunctionButton", "HighestFunctionButton"};
    for (int i = 0; i < 4; ++i) {
        click(d.get(), pages[i]);
        PageRig::shot(d.get(), QStringLiteral("keysetting-%1").arg(i));
    }
}

QTEST_MAIN(TstKeySettingDialog)
#include "tst_keysettingdialog.moc"
