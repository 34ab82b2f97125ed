// The macro editor with synthetic key events on the virtual clock: the rows and the file of a
// recording, merged delays, the length limit, sided modifiers, the editing panel, the play
// settings, and a recorded macro assigned through the button dialog down to the mouse's memory.

#include "common/texttable.h"
#include "support/mousememory.h"
#include "support/pagerig.h"
#include "ui/dialogs/keysettingdialog.h"
#include "ui/pages/macroeditwidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QLineEdit>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(QList<int>)

namespace {

struct Fixture
{
    PageRig rig;
    std::shared_ptr<VirtualHidDevice> mouse;
    std::unique_ptr<MacroEditWidget> page;

    Fixture()
    {
        page = std::make_unique<MacroEditWidget>(&rig.session());
        rig.show(page.get());
    }
    template <typename T = QPushButton>
    T *child(const char *name) const { return page->findChild<T *>(QLatin1String(name)); }
    void click(const char *name) const { QTest::mouseClick(child(name), Qt::LeftButton); }
    // A new macro, selected.
    QString create()
    {
        click("CreateButton");
        return page->currentMacroPath();
    }
    void key(QEvent::Type type, int qtKey, quint32 scan = 0) const
    {
        QKeyEvent e(type, qtKey, Qt::NoModifier, scan, 0, 0);
        QApplication::sendEvent(page.get(), &e);
    }
    void stroke(int qtKey, int waitMs, quint32 scan = 0)
    {
        key(QEvent::KeyPress, qtKey, scan);
        rig.clock().advanceMs(waitMs);
        key(QEvent::KeyRelease, qtKey, scan);
        rig.clock().advanceMs(waitMs);
    }
    // Records press A, wait, release A into a new macro.
    QString recordA(int waitMs)
    {
        const QString path = create();
        click("StartRecordButton");
        key(QEvent::KeyPress, Qt::Key_A);
        rig.clock().advanceMs(waitMs);
        key(QEvent::KeyRelease, Qt::Key_A);
        click("StartRecordButton");
        return path;
    }
    // The event list as "v41" (press), "^41" (release), "50ms", "(x,y)".
    QString rows() const
    {
        QStringList out;
        for (const QVariantMap &m : page->eventRows()) {
            const int type = m.value("0").toInt();
            if (type == MacroEditWidget::DelayRow)
                out << QStringLiteral("%1ms").arg(m.value("1").toInt());
            else if (type == MacroEditWidget::PositionRow)
                out << QStringLiteral("(%1,%2)").arg(m.value("x").toInt()).arg(m.value("y").toInt());
            else
                out << QStringLiteral("%1%2").arg(m.value("2").toInt() == 0 ? "v" : "^")
                            .arg(m.value("1").toInt(), 2, 16, QLatin1Char('0'));
        }
        return out.join(' ');
    }
    void selectRow(int row) const { child<QListWidget>("EventListWidget")->setCurrentRow(row); }
    bool open(const QString &name)
    {
        mouse = rig.plug(name);
        return mouse && rig.open(name).ok;
    }
};

// (key, state, time) of every step of a macro file.
QList<int> steps(const QString &path)
{
    QList<int> out;
    for (const MacroNode &n : DeviceSession::readMacro(path).nodes)
        out << n.keyValue << n.state << n.timeLapse;
    return out;
}

} // namespace

class TstMacroEditWidget : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void recordedRowsAndFile_data();
    void recordedRowsAndFile();
    void mouseButtonsRecord_data();
    void mouseButtonsRecord();
    void lengthLimitStopsRecording_data();
    void lengthLimitStopsRecording();
    void sidedModifiers_data();
    void sidedModifiers();
    void windowsScanCodes_data();
    void windowsScanCodes();
    void editingPanel_data();
    void editingPanel();
    void playSettings_data();
    void playSettings();
    void assignedMacroReachesMouse_data();
    void assignedMacroReachesMouse();
    void deletingAnAssignedMacro();
};

void TstMacroEditWidget::initTestCase()
{
    TextTable::set(TextTable::loadFile(QFINDTESTDATA("../../resources/Language/translate.json"), 1));
    QVERIFY(!TextTable::text(535).isEmpty());
}

void TstMacroEditWidget::recordedRowsAndFile_data()
{
    QTest::addColumn<int>("wait");
    QTest::addColumn<QString>("rows");
    QTest::addColumn<int>("length");
    QTest::newRow("short wait") << 50 << "v41 50ms ^41" << 6;
    QTest::newRow("long wait") << 1500 << "v41 1500ms ^41" << 10;
}

void TstMacroEditWidget::recordedRowsAndFile()
{
    QFETCH(int, wait);
    QFETCH(QString, rows);
    QFETCH(int, length);
    Fixture f;
    QSignalSpy ban(f.page.get(), &MacroEditWidget::sig_BanClickTopButton);
    const QString path = f.recordA(wait);
    QVERIFY(!f.page->isRecording());
    QCOMPARE(f.rows(), rows);
    // The press carries the delay after it, the release 1 ms.
    QCOMPARE(steps(path), (QList<int>{0x41, 0, wait, 0x41, 1, 1}));
    QCOMPARE(DeviceSession::readMacro(path).macroLength, length);
    QCOMPARE(ban.last(), (QList<QVariant>{false, false}));
    // The file is one the command line writes unchanged, to either family.
    for (int model : {11, 3}) {
        const auto problem = DeviceSession::macroFileProblem(path, model);
        QVERIFY2(!problem, qPrintable(problem.value_or(QString())));
    }
    // Loaded again, it reads as the same steps and saves back unchanged.
    QVERIFY(f.page->selectMacro(path));
    QCOMPARE(f.rows(), rows + QStringLiteral(" 1ms"));
    QCOMPARE(f.page->eventNodes(), DeviceSession::readMacro(path).nodes);
    f.rig.shot(f.page.get(), QStringLiteral("macro"));
}

void TstMacroEditWidget::mouseButtonsRecord_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("code");
    QTest::newRow("left") << "LeftMouseButton" << 1;
    QTest::newRow("middle") << "MidMouseButton" << 4;
    QTest::newRow("right") << "RightMouseButton" << 2;
}

void TstMacroEditWidget::mouseButtonsRecord()
{
    QFETCH(QString, button);
    QFETCH(int, code);
    Fixture f;
    const QString path = f.create();
    f.click("StartRecordButton");
    f.stroke(Qt::Key_A, 30); // a key first: the button's press comes after a delay
    QPushButton *b = f.child(button.toLatin1().constData());
    QVERIFY(b->isVisible());
    QTest::mousePress(b, Qt::LeftButton);
    f.rig.clock().advanceMs(200);
    QTest::mouseRelease(b, Qt::LeftButton);
    f.click("StartRecordButton");
    QCOMPARE(steps(path), (QList<int>{0x41, 0, 30, 0x41, 1, 30, code, 0, 200, code, 1, 1}));
    QVERIFY(!b->isVisible()); // shown only while recording or capturing a key
}

void TstMacroEditWidget::lengthLimitStopsRecording_data()
{
    QTest::addColumn<int>("wait");
    QTest::addColumn<int>("events");
    // 3 bytes a step: the release that makes 900 passes unchecked, the press after it stops.
    QTest::newRow("127 ms, 3 bytes a step") << 127 << 300;
    // 3 + 7 per step: the press at exactly 899 passes, the release after it, then the next press stops.
    QTest::newRow("128 ms, 7 bytes a step") << 128 << 130;
}

void TstMacroEditWidget::lengthLimitStopsRecording()
{
    QFETCH(int, wait);
    QFETCH(int, events);
    Fixture f;
    const QString path = f.create();
    QSignalSpy warned(f.page.get(), &MacroEditWidget::sig_ShowWarningWidgetOnMacroEditWidget);
    f.click("StartRecordButton");
    int strokes = 0;
    while (f.page->isRecording() && strokes < 1000) {
        f.stroke(Qt::Key_B, wait);
        ++strokes;
    }
    QVERIFY(!f.page->isRecording());
    QCOMPARE(warned.count(), 1);
    QCOMPARE(warned.first().first().toInt(), 27);
    const QList<MacroNode> nodes = DeviceSession::readMacro(path).nodes;
    QCOMPARE(nodes.size(), events);
    QCOMPARE(nodes.last().state, 1);
    QVERIFY(MacroEditWidget::calculateMacroListLength(nodes) <= 899 + 7);
    // After the stop, keys no longer record.
    f.stroke(Qt::Key_B, wait);
    QCOMPARE(DeviceSession::readMacro(path).nodes.size(), events);
    // A macro at its limit opens no editing panel.
    QVERIFY(f.page->selectMacro(path));
    const int stored = DeviceSession::readMacro(path).macroLength;
    f.click("AddEventButton");
    QCOMPARE(f.page->isEditing(), stored <= 899);
    QCOMPARE(warned.count(), stored <= 899 ? 1 : 2);
}

void TstMacroEditWidget::sidedModifiers_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<uint>("scan"); // X11 key code
    QTest::addColumn<int>("vk");
    QTest::newRow("right ctrl") << int(Qt::Key_Control) << 105u << 0xA3;
    QTest::newRow("left ctrl") << int(Qt::Key_Control) << 37u << 0xA2;
    QTest::newRow("right alt") << int(Qt::Key_AltGr) << 108u << 0xA5;
    QTest::newRow("left shift") << int(Qt::Key_Shift) << 50u << 0xA0;
    QTest::newRow("right shift") << int(Qt::Key_Shift) << 62u << 0xA1;
    // X11 key code 56 is B; the Windows scan code 0x38 (Alt) must not turn it into Alt.
    QTest::newRow("b, same number as Alt's scan code") << int(Qt::Key_B) << 56u << 0x42;
}

void TstMacroEditWidget::sidedModifiers()
{
    QFETCH(int, qtKey);
    QFETCH(uint, scan);
    QFETCH(int, vk);
    Fixture f;
    const QString path = f.create();
    f.click("StartRecordButton");
    f.stroke(qtKey, 20, scan);
    f.rig.shot(f.page.get(), QStringLiteral("macro-recording"));
    f.click("StartRecordButton");
    QCOMPARE(steps(path), (QList<int>{vk, 0, 20, vk, 1, 1}));
}

void TstMacroEditWidget::windowsScanCodes_data()
{
    QTest::addColumn<uint>("scan");
    QTest::addColumn<int>("native");
    QTest::addColumn<int>("vk");
    QTest::newRow("left ctrl") << 0x1Du << 0x11 << 0xA2;
    QTest::newRow("right ctrl") << 0x11Du << 0x11 << 0xA3;
    QTest::newRow("left shift") << 0x2Au << 0x10 << 0xA0;
    QTest::newRow("right shift") << 0x36u << 0x10 << 0xA1;
    QTest::newRow("left alt") << 0x38u << 0x12 << 0xA4;
    QTest::newRow("right alt") << 0x138u << 0x12 << 0xA5;
    QTest::newRow("other key keeps its code") << 0x1Eu << 0x41 << 0x41;
    QTest::newRow("sided code kept") << 0x38u << 0xA5 << 0xA5;
}

void TstMacroEditWidget::windowsScanCodes()
{
    QFETCH(uint, scan);
    QFETCH(int, native);
    QFETCH(int, vk);
    int code = native;
    QCOMPARE(MacroEditWidget::turnShortCutScanCodeToVirtualCode(scan, code), vk != native);
    QCOMPARE(code, vk);
}

void TstMacroEditWidget::editingPanel_data()
{
    // Starting from the recording "v41 50ms ^41": the row selected, the operation, its input, the
    // rows afterwards and the steps of the file (key, state, time).
    QTest::addColumn<bool>("change");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("input"); // a key, a delay, or "x,y"
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QList<int>>("file");
    QTest::newRow("change the press")
        << true << 0 << "ChangeOrInsertKeyRadioButton" << "C" << "v43 50ms ^41" << QList<int>{0x43, 0, 50, 0x41, 1, 1};
    QTest::newRow("change the release")
        << true << 2 << "ChangeOrInsertKeyRadioButton" << "C" << "v41 50ms ^43" << QList<int>{0x41, 0, 50, 0x43, 1, 1};
    QTest::newRow("insert a key after the release")
        << false << 2 << "ChangeOrInsertKeyRadioButton" << "C" << "v41 50ms ^41 v43 ^43"
        << QList<int>{0x41, 0, 50, 0x41, 1, 1, 0x43, 0, 1, 0x43, 1, 1};
    QTest::newRow("a mouse button as the key")
        << false << 2 << "ChangeOrInsertKeyRadioButton" << "MidMouseButton" << "v41 50ms ^41 v04 ^04"
        << QList<int>{0x41, 0, 50, 0x41, 1, 1, 4, 0, 1, 4, 1, 1};
    QTest::newRow("change the delay")
        << true << 1 << "ChangeOrInsertDelayTimeRadioButton" << "700" << "v41 700ms ^41" << QList<int>{0x41, 0, 700, 0x41, 1, 1};
    QTest::newRow("two adjacent delays merge")
        << false << 1 << "ChangeOrInsertDelayTimeRadioButton" << "30" << "v41 80ms ^41" << QList<int>{0x41, 0, 80, 0x41, 1, 1};
    QTest::newRow("a delay after the release")
        << false << 2 << "ChangeOrInsertDelayTimeRadioButton" << "9999" << "v41 50ms ^41 9999ms"
        << QList<int>{0x41, 0, 50, 0x41, 1, 9999};
    QTest::newRow("an empty delay changes nothing")
        << false << 2 << "ChangeOrInsertDelayTimeRadioButton" << "" << "v41 50ms ^41" << QList<int>{0x41, 0, 50, 0x41, 1, 1};
    QTest::newRow("a position after the press")
        << false << 0 << "ChangeOrInsetAMousePositionRadioButton" << "-127,127" << "v41 (-127,127) 50ms ^41"
        << QList<int>{0x41, 0, 1, -127, 127, 50, 0x41, 1, 1};
}

void TstMacroEditWidget::editingPanel()
{
    QFETCH(bool, change);
    QFETCH(int, row);
    QFETCH(QString, operation);
    QFETCH(QString, input);
    QFETCH(QString, rows);
    QFETCH(QList<int>, file);
    Fixture f;
    const QString path = f.recordA(50);
    QSignalSpy header(f.page.get(), &MacroEditWidget::sig_HeaderButtonEnable);
    f.selectRow(row);
    f.click(change ? "EditEventButton" : "AddEventButton");
    QVERIFY(f.page->isEditing());
    QCOMPARE(header.count(), 1);
    QCOMPARE(header.first().first().toBool(), false);
    QVERIFY(!f.child("StartRecordButton")->isEnabled());
    auto *radio = f.child<QRadioButton>(operation.toLatin1().constData());
    if (!change)
        QTest::mouseClick(radio, Qt::LeftButton);
    QVERIFY(radio->isChecked());
    if (operation == "ChangeOrInsertKeyRadioButton") {
        if (input.size() == 1)
            f.stroke(Qt::Key_A + (input.at(0).unicode() - 'A'), 5);
        else
            QTest::mouseClick(f.child(input.toLatin1().constData()), Qt::LeftButton);
    } else if (operation == "ChangeOrInsertDelayTimeRadioButton") {
        auto *edit = f.child<QLineEdit>("EditLineEdit");
        edit->clear();
        QTest::keyClicks(edit, input);
    } else {
        f.child<QSpinBox>("XSpinBox")->setValue(input.section(',', 0, 0).toInt());
        f.child<QSpinBox>("YSpinBox")->setValue(input.section(',', 1, 1).toInt());
    }
    f.click("AddCertainButton");
    QVERIFY(!f.page->isEditing());
    QCOMPARE(header.last().first().toBool(), true);
    QCOMPARE(f.rows(), rows);
    QList<int> got;
    for (const MacroNode &n : DeviceSession::readMacro(path).nodes)
        got << (n.valueType == MacroEditWidget::PositionRow ? QList<int>{n.coordinateX, n.coordinateY, n.timeLapse}
                                                           : QList<int>{n.keyValue, n.state, n.timeLapse});
    QCOMPARE(got, file);
    QCOMPARE(f.child<QSpinBox>("XSpinBox")->value(), 0);
}

void TstMacroEditWidget::playSettings_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("macroType");
    QTest::addColumn<int>("repeat");
    QTest::addColumn<int>("ignore");
    QTest::newRow("play until pressed again") << "PlayUntilPressAgain_RadioButton" << 2 << 1 << 0;
    QTest::newRow("play while held") << "PlayWhenItPressed_RadioButton" << 4 << 1 << 0;
    QTest::newRow("loop count") << "LoopCount_RadioButton" << 0 << 1 << 0;
    QTest::newRow("repeat count, clamped") << "RepeatTimesSpinBox" << 9 << 65533 << 0;
    QTest::newRow("ignore delays") << "IgnoreEventWaiteTimeCheckBox" << 9 << 1 << 2;
}

void TstMacroEditWidget::playSettings()
{
    QFETCH(QString, control);
    QFETCH(int, macroType);
    QFETCH(int, repeat);
    QFETCH(int, ignore);
    Fixture f;
    const QString path = f.recordA(50);
    QVERIFY(DeviceSession::setMacroType(path, 9)); // none of the page's modes
    QWidget *w = f.page->findChild<QWidget *>(control);
    if (qobject_cast<QRadioButton *>(w)) // another mode checked, so the click changes it
        f.child<QRadioButton>(control == "LoopCount_RadioButton" ? "PlayUntilPressAgain_RadioButton"
                                                                   : "LoopCount_RadioButton")->setChecked(true);
    if (auto *spin = qobject_cast<QSpinBox *>(w))
        spin->setValue(70000); // beyond the range: the largest count
    else
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(6, w->height() / 2));
    const DeviceSession::MacroDocument doc = DeviceSession::readMacro(path);
    QCOMPARE(doc.macroType, macroType);
    QCOMPARE(doc.repeatTimes, repeat);
    QCOMPARE(doc.ignoreDelayTime, ignore);
    // Selected again, the page shows what the file holds.
    f.page->slot_reLoadMacroNamelist();
    QVERIFY(f.page->selectMacro(path));
    QCOMPARE(f.child<QSpinBox>("RepeatTimesSpinBox")->value(), repeat);
    QCOMPARE(f.child<QCheckBox>("IgnoreEventWaiteTimeCheckBox")->isChecked(), ignore == 2);
    QCOMPARE(f.child<QRadioButton>("PlayWhenItPressed_RadioButton")->isChecked(), macroType == 4);
}

void TstMacroEditWidget::assignedMacroReachesMouse_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("address");
    QTest::addColumn<QByteArray>("memory");
    // Falcon: button 5's slot at 0x1000: length, play word (repeat 1), then per step the word
    // (delay * 2, + 1 for a press) and the key's HID usage.
    QTest::newRow("falcon single slot") << "falcon" << 5 << 0x1000 << QByteArray::fromHex("0A00 0100 650004 020004");
    // Osprey: button 6's block (macro address 0x90): repeat 1 big-endian, the press word with
    // 50 ms, the release word (128 + 1 ms), the end word.
    QTest::newRow("osprey block") << "osprey" << 6 << 0x90 << QByteArray::fromHex("0001 3204 8104 0000 0000");
}

void TstMacroEditWidget::assignedMacroReachesMouse()
{
    QFETCH(QString, device);
    QFETCH(int, button);
    QFETCH(int, address);
    QFETCH(QByteArray, memory);
    Fixture f;
    const QString path = f.recordA(50);
    QVERIFY(f.open(device));
    KeySettingDialog d(&f.rig.session(), button, -1, -1, -1);
    f.rig.show(&d);
    QTest::mouseClick(d.findChild<QPushButton *>(QStringLiteral("MarcoEditButton")), Qt::LeftButton);
    auto *list = d.findChild<QListWidget *>(QStringLiteral("MacroNameListWidget"));
    QCOMPARE(list->count(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(0)).center());
    QCOMPARE(d.getMacroSinglePath(), path);
    QTest::mouseClick(d.findChild<QPushButton *>(QStringLiteral("OKButton")), Qt::LeftButton);
    f.rig.settle();
    MouseMemory mem(f.mouse, f.rig.state().modelCode());
    const QByteArray got = device == "falcon" ? mem.bytes(address, memory.size()) : mem.macroBlock(address).left(memory.size());
    QCOMPARE(got.toHex(' '), memory.toHex(' '));
    const auto reported = f.rig.state().button(button);
    QVERIFY(reported && !reported->factory);
    QCOMPARE(reported->changeType, 33);
}

void TstMacroEditWidget::deletingAnAssignedMacro()
{
    Fixture f;
    const QString path = f.recordA(50);
    const QString other = f.create();
    QVERIFY(f.open("falcon"));
    QVERIFY(f.rig.session().wait(f.rig.session().writeMacro(5, path)).ok);
    MouseMemory mem(f.mouse, f.rig.state().modelCode());
    const QByteArray before = mem.bytes(0x1000, 10);
    QVERIFY(f.page->selectMacro(path));
    f.click("DeleteButton");
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(QFileInfo::exists(other));
    QCOMPARE(f.page->currentMacroPath(), QString());
    QCOMPARE(f.rows(), QString());
    QCOMPARE(f.child<QListWidget>("MacroNameListWidget")->count(), 1);
    // The mouse keeps the macro it was given; the button still plays it.
    f.rig.settle();
    QCOMPARE(mem.bytes(0x1000, 10), before);
    const auto reported = f.rig.state().button(5);
    QVERIFY(reported && !reported->factory);
    QCOMPARE(reported->changeType, 33);
    // The button dialog offers only the macro that is left.
    KeySettingDialog d(&f.rig.session(), 6, -1, -1, -1);
    QTest::mouseClick(d.findChild<QPushButton *>(QStringLiteral("MarcoEditButton")), Qt::LeftButton);
    auto *list = d.findChild<QListWidget *>(QStringLiteral("MacroNameListWidget"));
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->data(Qt::UserRole).toString(), other);
}

QTEST_MAIN(TstMacroEditWidget)
#include "tst_macroeditwidget.moc"
