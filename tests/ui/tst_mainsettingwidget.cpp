// The main settings page against simulated mice: what the DPI rows, the report rate and the
// pointer controls send, checked in the emulator's memory.

#include "common/texttable.h"
#include "support/mousememory.h"
#include "support/pagerig.h"
#include "ui/pages/cpiform.h"
#include "ui/pages/mainsettingwidget.h"
#include "ui/widgets/cpislider.h"
#include "ui/widgets/uspinbox.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

// A page over one opened simulated mouse.
struct Fixture
{
    PageRig rig;
    std::shared_ptr<VirtualHidDevice> mouse;
    std::unique_ptr<MainSettingWidget> page;

    bool open(const QString &name)
    {
        mouse = rig.plug(name);
        if (!mouse || !rig.open(name).ok)
            return false;
        page = std::make_unique<MainSettingWidget>(&rig.session());
        rig.settle();
        return rig.show(page.get());
    }
    MouseMemory memory() const { return MouseMemory(mouse, rig.state().modelCode()); }
    // The checked rows' values in row order: what the mouse must hold, packed.
    QList<int> checkedValues() const
    {
        QList<int> out;
        for (int i = 0; i < MainSettingWidget::kStages; ++i)
            if (page->row(i)->isChecked())
                out << page->row(i)->shownValue();
        return out;
    }
    CPIForm *firstChecked() const
    {
        for (int i = 0; i < MainSettingWidget::kStages; ++i)
            if (page->row(i)->isChecked())
                return page->row(i);
        return nullptr;
    }
    // Types value into the row's field and confirms it with Return.
    void type(CPIForm *row, const QString &value)
    {
        QLineEdit *edit = row->spinBox()->lineEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, value);
        QTest::keyClick(edit, Qt::Key_Return);
        rig.settle();
    }
    // The mouse's stages without the unused positions (the Osprey family keeps them as 0).
    QList<int> stagesInMouse() const
    {
        QList<int> out = memory().dpiStages();
        out.removeAll(0);
        return out;
    }
};

void dragTo(QWidget *w, int fromX, int toX)
{
    const int y = w->height() / 2;
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(fromX, y));
    QMouseEvent move(QEvent::MouseMove, QPointF(toX, y), w->mapToGlobal(QPoint(toX, y)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, QPoint(qMin(toX, w->width() - 1), y));
}

} // namespace

class TstMainSettingWidget : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        TextTable::set(TextTable::loadFile(QFINDTESTDATA("../../resources/Language/translate.json"), 1));
    }
    void typedValueSettles_data();
    void typedValueSettles();
    void stepButtons_data();
    void stepButtons();
    void dragToRightEndGivesMaximum_data();
    void dragToRightEndGivesMaximum();
    void lastEnabledStageStays_data();
    void lastEnabledStageStays();
    void disabledStageLeavesTheOthers_data();
    void disabledStageLeavesTheOthers();
    void factoryValuesAboveRange();
    void reportRateLands_data();
    void reportRateLands();
    void pointerSettings_data();
    void pointerSettings();
    void shots();
};

void TstMainSettingWidget::typedValueSettles_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("settled");
    // 50..16000 by 50.
    QTest::newRow("above maximum") << "falcon" << "16049" << 16000;
    QTest::newRow("between steps") << "falcon" << "137" << 100;
    QTest::newRow("below minimum") << "falcon" << "20" << 50;
    QTest::newRow("osprey between steps") << "osprey" << "1234" << 1200;
    // 200..10000, by 100 below 5000 and by 200 from it on.
    QTest::newRow("upper step down") << "falconeu" << "5150" << 5000;
    QTest::newRow("upper step") << "falconeu" << "5300" << 5200;
    QTest::newRow("lower step") << "falconeu" << "4850" << 4800;
}

void TstMainSettingWidget::typedValueSettles()
{
    QFETCH(QString, device);
    QFETCH(QString, typed);
    QFETCH(int, settled);
    Fixture f;
    QVERIFY(f.open(device));
    CPIForm *row = f.firstChecked();
    QVERIFY(row);
    f.type(row, typed);
    QCOMPARE(row->shownValue(), settled);
    QCOMPARE(row->slider()->value(), settled);
    QCOMPARE(f.stagesInMouse().value(0), settled);
    QCOMPARE(f.stagesInMouse(), f.checkedValues());
}

void TstMainSettingWidget::stepButtons_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("settled");
    QTest::newRow("up from the boundary") << "falconeu" << "5000" << true << 5200;
    QTest::newRow("down from the boundary") << "falconeu" << "5000" << false << 4900;
    QTest::newRow("down above the boundary") << "falconeu" << "5400" << false << 5200;
    QTest::newRow("up near the maximum") << "falconeu" << "9900" << true << 10000;
    QTest::newRow("up at the maximum") << "falcon" << "16000" << true << 16000;
    QTest::newRow("down at the minimum") << "osprey" << "50" << false << 50;
}

void TstMainSettingWidget::stepButtons()
{
    QFETCH(QString, device);
    QFETCH(QString, typed);
    QFETCH(bool, up);
    QFETCH(int, settled);
    Fixture f;
    QVERIFY(f.open(device));
    CPIForm *row = f.firstChecked();
    QVERIFY(row);
    f.type(row, typed);
    QTest::mouseClick(up ? row->spinBox()->upButton() : row->spinBox()->downButton(), Qt::LeftButton);
    f.rig.settle();
    QCOMPARE(row->shownValue(), settled);
    QCOMPARE(f.stagesInMouse().value(0), settled);
}

void TstMainSettingWidget::dragToRightEndGivesMaximum_data()
{
    QTest::addColumn<QString>("device");
    QTest::newRow("falcon") << "falcon";
    QTest::newRow("osprey") << "osprey";
    QTest::newRow("falconeu") << "falconeu";
}

void TstMainSettingWidget::dragToRightEndGivesMaximum()
{
    QFETCH(QString, device);
    Fixture f;
    QVERIFY(f.open(device));
    CPIForm *row = f.firstChecked();
    CPISlider *slider = row->slider();
    dragTo(slider, slider->width() / 3, slider->width() + 40);
    f.rig.settle();
    QCOMPARE(row->shownValue(), row->range().maximum);
    QCOMPARE(f.stagesInMouse().value(0), row->range().maximum);
    // A press at the very left edge gives the minimum.
    dragTo(slider, 0, 0);
    f.rig.settle();
    QCOMPARE(f.stagesInMouse().value(0), row->range().minimum);
}

void TstMainSettingWidget::lastEnabledStageStays_data()
{
    QTest::addColumn<QString>("device");
    QTest::newRow("falcon") << "falcon";
    QTest::newRow("osprey") << "osprey";
}

void TstMainSettingWidget::lastEnabledStageStays()
{
    QFETCH(QString, device);
    Fixture f;
    QVERIFY(f.open(device));
    // Uncheck every row but one through the page, then the last one.
    QList<CPIForm *> checked;
    for (int i = 0; i < MainSettingWidget::kStages; ++i)
        if (f.page->row(i)->isChecked())
            checked << f.page->row(i);
    QVERIFY(checked.size() >= 2);
    for (int i = 1; i < checked.size(); ++i) {
        QTest::mouseClick(checked.at(i)->checkBox(), Qt::LeftButton);
        f.rig.settle();
    }
    QCOMPARE(f.stagesInMouse(), QList<int>{checked.first()->shownValue()});
    const auto requests = f.rig.session().lastRequestId();
    const QList<int> before = f.memory().dpiStages();
    QTest::mouseClick(checked.first()->checkBox(), Qt::LeftButton);
    f.rig.settle();
    QVERIFY(checked.first()->isChecked());
    QVERIFY(checked.first()->checkBox()->isChecked());
    QVERIFY(checked.first()->spinBox()->isEnabled());
    QCOMPARE(f.rig.session().lastRequestId(), requests);
    QCOMPARE(f.memory().dpiStages(), before);
}

void TstMainSettingWidget::disabledStageLeavesTheOthers_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("packed"); // the mouse packs the enabled stages
    QTest::newRow("falcon") << "falcon" << true;
    QTest::newRow("falconeu") << "falconeu" << true;
    QTest::newRow("osprey") << "osprey" << false;
}

void TstMainSettingWidget::disabledStageLeavesTheOthers()
{
    QFETCH(QString, device);
    QFETCH(bool, packed);
    Fixture f;
    QVERIFY(f.open(device));
    QVERIFY(f.page->row(2)->isChecked() && f.page->row(1)->isChecked() && f.page->row(3)->isChecked());
    QList<int> rows;
    for (int i = 0; i < MainSettingWidget::kStages; ++i)
        rows << (f.page->row(i)->isChecked() ? f.page->row(i)->shownValue() : 0);
    QList<int> expected = rows;
    expected[2] = 0;
    QTest::mouseClick(f.page->row(2)->checkBox(), Qt::LeftButton);
    f.rig.settle();
    if (packed)
        expected.removeAll(0);
    QCOMPARE(f.memory().dpiStages(), expected);
    // The page reads the mouse back onto the same rows: row 2 off, the others as they were.
    QVERIFY(!f.page->row(2)->isChecked());
    QCOMPARE(f.page->row(3)->shownValue(), rows.at(3));
    QVERIFY(f.page->row(3)->isChecked());
    // Checking it again brings back its value in its place.
    QTest::mouseClick(f.page->row(2)->checkBox(), Qt::LeftButton);
    f.rig.settle();
    QCOMPARE(f.page->row(2)->shownValue(), rows.at(2));
    QCOMPARE(f.stagesInMouse(), f.checkedValues());
}

void TstMainSettingWidget::factoryValuesAboveRange()
{
    Fixture f;
    QVERIFY(f.open(QStringLiteral("falconq")));
    const int maximum = f.page->row(0)->range().maximum;
    QList<int> inMouse = f.stagesInMouse();
    QVERIFY2(std::any_of(inMouse.begin(), inMouse.end(), [&](int v) { return v > maximum; }),
             "the factory image holds values above the range");
    for (int value : f.checkedValues())
        QVERIFY(value <= maximum);
    // A change of one stage sends the others as shown, and the mouse takes it.
    QSignalSpy finished(&f.rig.session(), &DeviceSession::requestFinished);
    CPIForm *row = f.firstChecked();
    QTest::mouseClick(row->spinBox()->downButton(), Qt::LeftButton);
    f.rig.settle();
    QVERIFY(!finished.isEmpty());
    for (const QList<QVariant> &args : finished)
        QVERIFY(args.at(1).value<RequestOutcome>().ok);
    QCOMPARE(f.stagesInMouse(), f.checkedValues());
}

void TstMainSettingWidget::reportRateLands_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("rate");
    QTest::newRow("falcon 1000") << "falcon" << "USBReportRate_1000RadioButton" << 3;
    QTest::newRow("falcon 125") << "falcon" << "USBReportRate_125RadioButton" << 0;
    QTest::newRow("osprey 250") << "osprey" << "USBReportRate_250RadioButton" << 1;
    QTest::newRow("osprey 500") << "osprey" << "USBReportRate_500RadioButton" << 2;
}

void TstMainSettingWidget::reportRateLands()
{
    QFETCH(QString, device);
    QFETCH(QString, button);
    QFETCH(int, rate);
    Fixture f;
    QVERIFY(f.open(device));
    auto *radio = f.page->findChild<QRadioButton *>(button);
    QTest::mouseClick(radio, Qt::LeftButton);
    f.rig.settle();
    QCOMPARE(f.memory().reportRate(), rate);
    QVERIFY(radio->isChecked());
}

void TstMainSettingWidget::pointerSettings_data()
{
    QTest::addColumn<bool>("available");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("click");  // the wheel radio button then clicked
    QTest::addColumn<int>("sent");       // what sig_SetTrolleySpeed carries (none: -2)
    QTest::addColumn<bool>("spinEnabled");
    QTest::newRow("one screen, then lines") << true << -1 << "TrolleySpeed_RadioButton_1" << 7 << true;
    QTest::newRow("lines, then one screen") << true << 5 << "TrolleySpeed_RadioButton_2" << -1 << false;
    QTest::newRow("not available") << false << 5 << "TrolleySpeed_RadioButton_2" << -2 << false;
}

void TstMainSettingWidget::pointerSettings()
{
    QFETCH(bool, available);
    QFETCH(int, lines);
    QFETCH(QString, click);
    QFETCH(int, sent);
    QFETCH(bool, spinEnabled);
    Fixture f;
    QVERIFY(f.open(QStringLiteral("osprey")));
    QSignalSpy trolley(f.page.get(), &MainSettingWidget::sig_SetTrolleySpeed);
    QSignalSpy speed(f.page.get(), &MainSettingWidget::sig_SetPointSpeed);
    f.page->findChild<QSpinBox *>(QStringLiteral("spinBox"))->setValue(7);
    trolley.clear();
    f.page->setPointerSettings(available, QStringLiteral("no such setting here"), 12, lines);
    auto *spin = f.page->findChild<QSpinBox *>(QStringLiteral("spinBox"));
    QCOMPARE(spin->isEnabled(), available && lines != -1);
    QCOMPARE(f.page->findChild<QRadioButton *>(QStringLiteral("TrolleySpeed_RadioButton_2"))->isChecked(), lines == -1);
    QVERIFY(trolley.isEmpty() && speed.isEmpty());
    QTest::mouseClick(f.page->findChild<QRadioButton *>(click), Qt::LeftButton);
    QCOMPARE(spin->isEnabled(), spinEnabled);
    if (sent == -2) {
        QVERIFY(trolley.isEmpty());
        QCOMPARE(spin->toolTip(), QStringLiteral("no such setting here"));
    } else {
        QCOMPARE(trolley.count(), 1);
        QCOMPARE(trolley.first().first().toInt(), sent);
    }
}

void TstMainSettingWidget::shots()
{
    for (const char *device : {"falcon", "osprey", "lark", "kitec"}) {
        Fixture f;
        QVERIFY(f.open(QLatin1String(device)));
        f.page->setPointerSettings(true, QString(), 10, 3);
        PageRig::shot(f.page.get(), QStringLiteral("main-%1").arg(QLatin1String(device)));
    }
}

QTEST_MAIN(TstMainSettingWidget)
#include "tst_mainsettingwidget.moc"
