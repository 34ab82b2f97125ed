// The lighting page over simulated mice: what each control sends, in which order, and what
// lands in the mouse's memory.

#include "common/texttable.h"
#include "sim/falconmousedevice.h"
#include "sim/ospreymousedevice.h"
#include "support/pagerig.h"
#include "ui/pages/lightsettingwidget.h"
#include "ui/widgets/colorwheel.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// Falcon family: profile image offset o lives at 0x880 + (o - 60) (the settings area).
constexpr quint32 falconAt(int imageOffset) { return 0x880 + quint32(imageOffset - 60); }
// Osprey family: mode codes of effects 0..5.
constexpr int kOspreyMode[6] = {128, 129, 130, 132, 131, 133};

// A page on one simulated mouse, shown at the page area's size.
struct Fixture
{
    explicit Fixture(const QString &device)
    {
        if (device.startsWith(QLatin1String("falcon")) || device.startsWith(QLatin1String("kite")))
            falcon = rig.plug<FalconMouseDevice>(device);
        else
            osprey = rig.plug<OspreyMouseDevice>(device);
        opened = (falcon || osprey) && rig.open(device).ok;
        if (opened) {
            page = std::make_unique<LightSettingWidget>(&rig.session());
            shown = rig.show(page.get());
        }
    }
    bool ready() const { return opened && shown; }
    // Selects a zone the way the user does (single-zone models have only the logo).
    void selectZone(bool wheel)
    {
        auto *b = child<QPushButton>(wheel ? "WheelLightButton" : "LogoLightButton");
        if (b->isVisible())
            QTest::mouseClick(b, Qt::LeftButton);
    }
    template <typename T>
    T *child(const char *name) const { return page->findChild<T *>(QLatin1String(name)); }
    QByteArray settings() const { return osprey->firmware().settings(); }
    // A byte of the mouse's profile image, and the colour of three bytes from there on.
    int byteAt(int offset) const
    {
        return BYTE(falcon ? falcon->firmware().memory(falconAt(offset), 1).at(0) : settings().at(offset));
    }
    QColor colorAt(int offset) const { return QColor(byteAt(offset), byteAt(offset + 1), byteAt(offset + 2)); }
    // Logo and wheel mode, as the state holds them after each request of the page finished.
    QStringList recordModes(const std::function<void()> &action)
    {
        QStringList steps;
        QObject recorder;
        QObject::connect(&rig.session(), &DeviceSession::requestFinished, &recorder, [&] {
            const auto light = rig.state().light();
            steps << (light ? QStringLiteral("%1/%2").arg(light->logo.mode).arg(light->wheel.mode) : QString());
        });
        action();
        rig.settle();
        return steps;
    }

    PageRig rig;
    std::shared_ptr<FalconMouseDevice> falcon;
    std::shared_ptr<OspreyMouseDevice> osprey;
    bool opened = false;
    bool shown = false;
    std::unique_ptr<LightSettingWidget> page;
};

} // namespace

class TstLightSettingWidget : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase() { m_fixture.reset(); }
    void modelLayout_data();
    void modelLayout();
    void wrenEffects_data();
    void wrenEffects();
    void landsInMemory_data();
    void landsInMemory();
    void presets_data();
    void presets();
    void wheelClick_data();
    void wheelClick();
    void colorSliders_data();
    void colorSliders();
    void followsTheMouse();
    void views();

private:
    // The page on a simulated mouse, kept from row to row while the device stays the same (each
    // row sets up what it relies on); fresh: always a new mouse and page.
    Fixture &use(const QString &device, bool fresh = false)
    {
        if (fresh || !m_fixture || m_device != device) {
            m_fixture.reset(); // one virtual bus at a time
            m_fixture = std::make_unique<Fixture>(device);
            m_device = device;
        }
        return *m_fixture;
    }
    std::unique_ptr<Fixture> m_fixture;
    QString m_device;
};

void TstLightSettingWidget::initTestCase()
{
    TextTable::set(TextTable::loadFile(QStringLiteral(QK_TRANSLATE_JSON), TextTable::kFallbackIndex));
    QVERIFY(!TextTable::texts().isEmpty());
}

void TstLightSettingWidget::modelLayout_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("zoneButtons");
    QTest::addColumn<bool>("colorIntrigue");
    QTest::addColumn<bool>("wheelZone");
    QTest::addColumn<int>("breathMax");
    QTest::newRow("falcon: logo only, five speeds") << "falcon" << false << false << false << 4;
    QTest::newRow("osprey: two zones") << "osprey" << true << false << true << 9;
    QTest::newRow("wren: coupled zones") << "wren" << true << true << true << 9;
}

void TstLightSettingWidget::modelLayout()
{
    QFETCH(QString, device);
    QFETCH(bool, zoneButtons);
    QFETCH(bool, colorIntrigue);
    QFETCH(bool, wheelZone);
    QFETCH(int, breathMax);
    Fixture &f = use(device, true);
    QVERIFY(f.ready());
    QVERIFY(f.page->isEnabled());
    QCOMPARE(f.child<QPushButton>("WheelLightButton")->isVisible(), zoneButtons);
    QCOMPARE(f.child<QPushButton>("LogoLightButton")->isVisible(), zoneButtons);
    QCOMPARE(f.child<QCheckBox>("ColorIntrigueCheckBox_2")->isVisible(), colorIntrigue);
    QCOMPARE(f.page->wheelZoneSelected(), wheelZone);
    QCOMPARE(f.child<QSlider>("BreathSlider")->maximum(), breathMax);
    QCOMPARE(f.child<QSlider>("ContinueLightSlider")->maximum(), LightSettingWidget::kBrightnessMax);
    // Every caption is in the text table.
    for (QAbstractButton *b : f.page->findChildren<QAbstractButton *>())
        QVERIFY2(!b->isVisible() || !b->text().isEmpty() || !b->accessibleName().isEmpty(),
                 qPrintable(b->objectName()));
    for (QLabel *l : f.page->findChildren<QLabel *>())
        QVERIFY2(!l->isVisible() || !l->text().isEmpty(), qPrintable(l->objectName()));
}

void TstLightSettingWidget::wrenEffects_data()
{
    QTest::addColumn<bool>("intrigue");   // colour intrigue is on before the click
    QTest::addColumn<bool>("logoZone");   // the logo zone is selected
    QTest::addColumn<QString>("control"); // what is clicked
    QTest::addColumn<QStringList>("steps"); // logo/wheel modes after each request
    QTest::newRow("steady on the wheel leaves intrigue: logo first")
        << true << false << "ContinueLightModeRadioButton" << QStringList{"1/5", "1/1"};
    QTest::newRow("breathing on the logo leaves intrigue: wheel first")
        << true << true << "BrethModeRaioButton" << QStringList{"5/2", "2/2"};
    QTest::newRow("clearing intrigue: spectrum cycle to both")
        << true << false << "ColorIntrigueCheckBox_2" << QStringList{"4/5", "4/4"};
    QTest::newRow("setting intrigue: both zones")
        << false << false << "ColorIntrigueCheckBox_2" << QStringList{"5/0", "5/5"};
    QTest::newRow("steady on the wheel without intrigue: that zone only")
        << false << false << "ContinueLightModeRadioButton" << QStringList{"0/1"};
    QTest::newRow("APM breathing on the logo without intrigue: that zone only")
        << false << true << "ApmBreathModeRaidoButton" << QStringList{"3/0"};
}

void TstLightSettingWidget::wrenEffects()
{
    QFETCH(bool, intrigue);
    QFETCH(bool, logoZone);
    QFETCH(QString, control);
    QFETCH(QStringList, steps);
    Fixture &f = use(QStringLiteral("wren"));
    QVERIFY(f.ready());
    // Start from both zones off, or both in colour intrigue (set from outside the page).
    using Target = DeviceSession::LightTarget;
    for (Target t : {Target::Logo, Target::Wheel})
        QVERIFY(f.rig.wait(f.rig.session().setLightMode(t, intrigue ? 5 : 0)).ok);
    f.rig.settle();
    QCOMPARE(f.child<QCheckBox>("ColorIntrigueCheckBox_2")->isChecked(), intrigue);
    f.selectZone(!logoZone);
    QCOMPARE(f.page->wheelZoneSelected(), !logoZone);

    auto *clicked = f.page->findChild<QAbstractButton *>(control);
    QVERIFY(clicked);
    const QStringList got = f.recordModes(
        [&] { QTest::mouseClick(clicked, Qt::LeftButton, {}, QPoint(8, clicked->height() / 2)); });
    QCOMPARE(got, steps);

    const QStringList last = steps.last().split('/');
    QCOMPARE(f.byteAt(14), kOspreyMode[last[0].toInt()]); // logo ("main") zone
    QCOMPARE(f.byteAt(17), kOspreyMode[last[1].toInt()]); // wheel zone
    const bool nowIntrigue = last[0] == QLatin1String("5");
    QCOMPARE(f.child<QCheckBox>("ColorIntrigueCheckBox_2")->isChecked(), nowIntrigue);
    QCOMPARE(f.page->lightParameter(), *f.rig.state().light());
}

void TstLightSettingWidget::landsInMemory_data()
{
    // A slider is moved from its other end to the value (by key at the ends); a button is
    // clicked after the button "from" was.
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("wheelZone");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("offset"); // image offset of the byte
    QTest::addColumn<int>("stored");
    QTest::newRow("falcon breathing at the right end: fastest")
        << "falcon" << false << "BreathSlider" << "" << 4 << 86 << 0;
    QTest::newRow("falcon breathing at the left end: slowest")
        << "falcon" << false << "BreathSlider" << "" << 0 << 86 << 4;
    QTest::newRow("falcon brightness") << "falcon" << false << "ContinueLightSlider" << "" << 7 << 87 << 7;
    QTest::newRow("falcon breathing effect")
        << "falcon" << false << "BrethModeRaioButton" << "CloseLightModeRadioButton" << 0 << 85 << 2;
    QTest::newRow("osprey wheel breathing at the right end: fastest")
        << "osprey" << true << "BreathSlider" << "" << 9 << 45 << 0;
    QTest::newRow("osprey wheel breathing") << "osprey" << true << "BreathSlider" << "" << 2 << 45 << 7;
    QTest::newRow("osprey wheel brightness") << "osprey" << true << "ContinueLightSlider" << "" << 9 << 18 << 9;
    QTest::newRow("osprey logo breathing") << "osprey" << false << "BreathSlider" << "" << 0 << 26 << 9;
    QTest::newRow("osprey logo brightness") << "osprey" << false << "ContinueLightSlider" << "" << 0 << 15 << 0;
    QTest::newRow("osprey logo steady light")
        << "osprey" << false << "ContinueLightModeRadioButton" << "CloseLightModeRadioButton" << 0 << 14 << 129;
    QTest::newRow("osprey logo colour, red") << "osprey" << false << "colorButton1" << "colorButton2" << 0 << 20 << 255;
    QTest::newRow("osprey logo colour, blue") << "osprey" << false << "colorButton1" << "colorButton2" << 0 << 22 << 110;
}

void TstLightSettingWidget::landsInMemory()
{
    QFETCH(QString, device);
    QFETCH(bool, wheelZone);
    QFETCH(QString, control);
    QFETCH(QString, from);
    QFETCH(int, value);
    QFETCH(int, offset);
    QFETCH(int, stored);
    Fixture &f = use(device);
    QVERIFY(f.ready());
    f.selectZone(wheelZone);
    if (auto *s = f.page->findChild<QSlider *>(control)) {
        s->setValue(value == s->maximum() ? s->minimum() : s->maximum());
        f.rig.settle();
        s->setFocus();
        if (value == s->maximum())
            QTest::keyClick(s, Qt::Key_End);
        else if (value == s->minimum())
            QTest::keyClick(s, Qt::Key_Home);
        else
            s->setValue(value);
    } else {
        auto *before = f.page->findChild<QAbstractButton *>(from);
        auto *b = f.page->findChild<QAbstractButton *>(control);
        QVERIFY(before && b);
        QTest::mouseClick(before, Qt::LeftButton, {}, QPoint(8, before->height() / 2));
        f.rig.settle();
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    }
    f.rig.settle();
    QCOMPARE(f.byteAt(offset), stored);
    QCOMPARE(f.page->lightParameter(), *f.rig.state().light());
}

void TstLightSettingWidget::presets_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QColor>("color");
    QTest::newRow("1") << 1 << QColor(255, 69, 110);
    QTest::newRow("13") << 13 << QColor(102, 65, 255);
    QTest::newRow("18") << 18 << QColor(63, 177, 87);
    QTest::newRow("23 is 18's colour") << 23 << QColor(63, 177, 87);
    QTest::newRow("25") << 25 << QColor(135, 101, 239);
}

void TstLightSettingWidget::presets()
{
    QFETCH(int, button);
    QFETCH(QColor, color);
    Fixture &f = use(QStringLiteral("falcon"));
    QVERIFY(f.ready());
    f.page->setSpecificColorOnMouse(1, 2, 3);
    f.rig.settle();
    auto *b = f.page->findChild<QAbstractButton *>(QStringLiteral("colorButton%1").arg(button));
    QVERIFY(b);
    const QByteArray others = f.falcon->firmware().memory(falconAt(119), 9);
    QTest::mouseClick(b, Qt::LeftButton);
    f.rig.settle();
    // The first colour of the table (a COLORREF: red, green, blue, 0) changes, the others stay.
    QCOMPARE(f.colorAt(116), color);
    QCOMPARE(f.falcon->firmware().memory(falconAt(119), 9), others);
    auto shown = [&](const char *label) { return f.child<QLabel>(label)->text().toInt(); };
    QCOMPARE(QColor(shown("Red_Label"), shown("Green_Label"), shown("Blue_Label")), color);
    QCOMPARE(f.page->lightParameter(), *f.rig.state().light());
}

void TstLightSettingWidget::wheelClick_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<int>("hue"); // degrees clockwise from the right; -1: no colour
    QTest::addColumn<double>("saturation");
    QTest::newRow("right: red") << QPoint(129, 69) << 0 << 60.5 / 69;
    QTest::newRow("below: a quarter turn") << QPoint(69, 129) << 90 << 60.5 / 69;
    QTest::newRow("left: cyan") << QPoint(9, 69) << 180 << 59.5 / 69;
    QTest::newRow("above: three quarters") << QPoint(69, 9) << 270 << 59.5 / 69;
    QTest::newRow("half way out, down right") << QPoint(93, 93) << 45 << 34.6 / 69;
    QTest::newRow("centre: white") << QPoint(69, 69) << -2 << 0.0;
    QTest::newRow("rim, inside") << QPoint(0, 69) << 180 << 1.0;
    QTest::newRow("outside the circle, inside the square") << QPoint(118, 118) << -1 << 0.0;
    QTest::newRow("corner") << QPoint(2, 2) << -1 << 0.0;
}

void TstLightSettingWidget::wheelClick()
{
    QFETCH(QPoint, at);
    QFETCH(int, hue);
    QFETCH(double, saturation);
    Fixture &f = use(QStringLiteral("osprey"));
    QVERIFY(f.ready());
    f.selectZone(true);
    auto *wheel = f.page->findChild<ColorWheel *>();
    QVERIFY(wheel);
    QCOMPARE(wheel->size(), QSize(138, 138));
    QSignalSpy picked(wheel, &ColorWheel::sigColor);
    const auto lastRequest = f.rig.session().lastRequestId();
    const QByteArray before = f.settings();
    QTest::mouseClick(wheel, Qt::LeftButton, {}, at);
    f.rig.settle();
    if (hue == -1) {
        QVERIFY(picked.isEmpty());
        QCOMPARE(f.rig.session().lastRequestId(), lastRequest);
        QCOMPARE(f.settings(), before);
        return;
    }
    QCOMPARE(picked.size(), 1);
    const QColor c(picked[0][0].toInt(), picked[0][1].toInt(), picked[0][2].toInt());
    // The colour the wheel shows at that point (exactly at 1x; at 2x four device pixels share
    // the logical one)...
    const QImage shown = wheel->grab().toImage();
    const qreal ratio = shown.devicePixelRatio();
    const QColor there = shown.pixelColor((QPointF(at) * ratio).toPoint());
    const int slack = ratio == 1 ? 0 : 3;
    QVERIFY2(qAbs(there.red() - c.red()) <= slack && qAbs(there.green() - c.green()) <= slack
                 && qAbs(there.blue() - c.blue()) <= slack,
             qPrintable(there.name() + QLatin1String(" shown, picked ") + c.name()));
    // ...is the hue of the angle and the saturation of the distance, at full value.
    if (hue >= 0)
        QVERIFY2(qAbs(c.hsvHueF() * 360 - hue) <= 1.5, qPrintable(QString::number(c.hsvHueF() * 360)));
    QVERIFY2(qAbs(c.hsvSaturationF() - saturation) <= 0.02, qPrintable(QString::number(c.hsvSaturationF())));
    QCOMPARE(c.value(), 255);
    QCOMPARE(f.colorAt(39), c); // the wheel zone's colour in the mouse
}

void TstLightSettingWidget::colorSliders_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("red");      // the red slider afterwards
    QTest::addColumn<int>("requests"); // colour requests sent
    QTest::newRow("wheel towards the user raises") << "back" << 101 << 1;
    QTest::newRow("wheel away lowers") << "forward" << 99 << 1;
    QTest::newRow("wheel without a turn: nothing") << "still" << 100 << 0;
    QTest::newRow("click jumps to the point") << "click" << -1 << 1;
    QTest::newRow("arrow key steps") << "key" << 101 << 1;
    QTest::newRow("press jumps, the drag is sent on release") << "drag" << -1 << 2;
}

void TstLightSettingWidget::colorSliders()
{
    QFETCH(QString, action);
    QFETCH(int, red);
    QFETCH(int, requests);
    Fixture &f = use(QStringLiteral("falcon"));
    QVERIFY(f.ready());
    f.page->setSpecificColorOnMouse(100, 50, 25);
    f.rig.settle();
    auto *s = f.child<QSlider>("Red_Slider");
    const auto first = f.rig.session().lastRequestId();
    const QPoint middle(s->width() / 2, s->height() / 2);
    if (action == QLatin1String("back") || action == QLatin1String("forward") || action == QLatin1String("still")) {
        const int delta = action == QLatin1String("back") ? -120 : action == QLatin1String("forward") ? 120 : 0;
        QWheelEvent wheel(middle, s->mapToGlobal(middle), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(s, &wheel);
    } else if (action == QLatin1String("click")) {
        QTest::mouseClick(s, Qt::LeftButton, {}, middle);
    } else if (action == QLatin1String("key")) {
        s->setFocus();
        QTest::keyClick(s, Qt::Key_Right);
    } else if (action == QLatin1String("drag")) {
        QTest::mousePress(s, Qt::LeftButton, {}, middle);
        for (int dx = 4; dx <= 40; dx += 4) {
            QMouseEvent move(QEvent::MouseMove, middle + QPoint(dx, 0), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(s, &move);
        }
        QTest::mouseRelease(s, Qt::LeftButton, {}, middle + QPoint(40, 0));
    }
    f.rig.settle();
    if (action == QLatin1String("click"))
        red = 255 * middle.x() / s->width();
    if (red < 0)
        red = s->value();
    QCOMPARE(s->value(), red);
    QCOMPARE(int(f.rig.session().lastRequestId() - first), requests);
    QCOMPARE(f.child<QLabel>("Red_Label")->text().toInt(), red);
    QCOMPARE(f.byteAt(116), red);
    if (action == QLatin1String("drag"))
        QVERIFY(red > 100);
}

void TstLightSettingWidget::followsTheMouse()
{
    Fixture &f = use(QStringLiteral("osprey"), true);
    QVERIFY(f.ready());
    f.selectZone(false);
    // A change from elsewhere (another front end, a configuration loaded) shows on the page,
    // which stays on its zone.
    QVERIFY(f.rig.wait(f.rig.session().setLightBrightness(DeviceSession::LightTarget::Logo, 3)).ok);
    QVERIFY(f.rig.wait(f.rig.session().setLightMode(DeviceSession::LightTarget::Logo, 2)).ok);
    f.rig.settle();
    QVERIFY(!f.page->wheelZoneSelected());
    QCOMPARE(f.child<QSlider>("ContinueLightSlider")->value(), 3);
    QVERIFY(f.child<QRadioButton>("BrethModeRaioButton")->isChecked());
    QCOMPARE(f.page->lightParameter(), *f.rig.state().light());
    // Showing the record sent nothing back.
    const auto last = f.rig.session().lastRequestId();
    f.rig.settle();
    QCOMPARE(f.rig.session().lastRequestId(), last);

    // The mouse goes away: the page can no longer be used.
    f.rig.wait(f.rig.session().closeDevice());
    f.rig.settle();
    QVERIFY(!f.page->isEnabled());
    m_fixture.reset();
}

void TstLightSettingWidget::views()
{
    // Views for the integrator: the Falcon (one zone) and a Wren in colour intrigue.
    for (const QString &device : {QStringLiteral("falcon"), QStringLiteral("wren")}) {
        Fixture &f = use(device, true);
        QVERIFY(f.ready());
        f.page->setSpecificColorOnMouse(64, 197, 221);
        if (device == QLatin1String("wren"))
            f.page->setTurnOnOrOffColorIntrigue(5);
        else
            f.page->setLightMode(2);
        f.rig.settle();
        QCOMPARE(f.page->lightParameter(), *f.rig.state().light());
        PageRig::shot(f.page.get(), device == QLatin1String("wren") ? QStringLiteral("lighting-wren")
                                                                    : QStringLiteral("lighting"));
    }
}

QTEST_MAIN(TstLightSettingWidget)
#include "tst_lightsettingwidget.moc"
