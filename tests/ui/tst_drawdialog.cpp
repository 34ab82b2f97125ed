// The OLED picture editor over a simulated Falcon: what OK stores and what reaches the mouse's
// picture slot, the undo rule, the display buttons and the brightness slider, and a save that
// fails.
#include "common/atomicfile.h"
#include "common/texttable.h"
#include "sim/falconmousedevice.h"
#include "storage/storagepaths.h"
#include "support/pagerig.h"
#include "ui/dialogs/drawborderwidget.h"
#include "ui/dialogs/drawdialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QtTest>

#include <set>
#include <utility>

namespace {
constexpr int kFalcon = 11;
constexpr quint32 kPictureSlot0 = 0x22000;
using Pixels = std::set<std::pair<int, int>>; // (x, y)

// The lit pixels of a 384-byte screen picture: eight rows a band, one byte a column, bit k is
// row band * 8 + k.
Pixels litInMemory(const QByteArray &bytes)
{
    Pixels lit;
    for (int band = 0; band < 6; ++band)
        for (int x = 0; x < 64; ++x)
            for (int k = 0; k < 8; ++k)
                if (quint8(bytes.at(band * 64 + x)) & (1 << k))
                    lit.insert({x, band * 8 + k});
    return lit;
}

Pixels lightIn(const QImage &image)
{
    Pixels light;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) >= 128)
                light.insert({x, y});
    return light;
}

Pixels row(int y, int fromX, int toX)
{
    Pixels p;
    for (int x = fromX; x <= toX; ++x)
        p.insert({x, y});
    return p;
}

Pixels complement(const Pixels &p)
{
    Pixels all;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            if (!p.count({x, y}))
                all.insert({x, y});
    return all;
}

// A left-button drag along canvas row y from x0 to x1 (canvas pixels, three per screen pixel).
void stroke(QWidget *canvas, int y, int x0, int x1)
{
    QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(x0, y));
    QTest::mouseMove(canvas, QPoint((x0 + x1) / 2, y));
    QTest::mouseMove(canvas, QPoint(x1, y));
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(x1, y));
}

template <typename T = QPushButton>
T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}

struct Fixture
{
    PageRig rig;
    std::shared_ptr<FalconMouseDevice> mouse = rig.plug<FalconMouseDevice>(QStringLiteral("falcon"));
    bool opened = rig.open(QStringLiteral("falcon")).ok;
    DrawDialog dialog{&rig.session()};
    QSignalSpy image{&dialog, &DrawDialog::sig_SetImageOnMouse};
};
} // namespace

class TstDrawDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        TextTable::set(TextTable::loadFile(QStringLiteral(QK_TRANSLATE_JSON), TextTable::kFallbackIndex));
        QVERIFY(!TextTable::text(404).isEmpty());
    }
    void cleanup() { AtomicFile::setCommitHookForTests({}); }
    void emptyCanvasSendsNoPicture();
    void strokeReachesThePictureSlot_data();
    void strokeReachesThePictureSlot();
    void undoRemovesOnlyTheLastStroke_data();
    void undoRemovesOnlyTheLastStroke();
    void backgroundPicture_data();
    void backgroundPicture();
    void displayButtons_data();
    void displayButtons();
    void brightnessGoesToTheMouse();
    void failedSaveKeepsDrawingAndOldPicture();
    void shots();
};

void TstDrawDialog::emptyCanvasSendsNoPicture()
{
    Fixture f;
    QVERIFY(f.opened);
    QVERIFY(f.rig.show(&f.dialog));
    QTest::mouseClick(child(&f.dialog, "DrawOkButton"), Qt::LeftButton);
    f.rig.settle();
    QCOMPARE(f.image.size(), 1);
    QCOMPARE(f.image.first().first().toString(), QStringLiteral("0"));
    QCOMPARE(f.dialog.result(), int(QDialog::Accepted));
    QVERIFY(!f.dialog.isVisible());
    for (int n = 1; n <= 5; ++n)
        QVERIFY(!QFile::exists(StoragePaths::picturePath(kFalcon, n)));
    QCOMPARE(f.mouse->firmware().memory(kPictureSlot0, 384), QByteArray(384, '\0'));
}

void TstDrawDialog::strokeReachesThePictureSlot_data()
{
    QTest::addColumn<bool>("whiteGround");
    QTest::newRow("black ground") << false;
    QTest::newRow("white ground") << true;
}

void TstDrawDialog::strokeReachesThePictureSlot()
{
    QFETCH(bool, whiteGround);
    Fixture f;
    QVERIFY(f.opened);
    QVERIFY(f.rig.show(&f.dialog));
    if (whiteGround) {
        auto *box = child<QCheckBox>(&f.dialog, "ChangeBackground_CheckBox");
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(8, box->height() / 2)); // the indicator
        QVERIFY(box->isChecked());
    }
    // Canvas row 60 is screen row 20; canvas 30..150 is screen 10..50.
    stroke(f.dialog.canvas(), 60, 30, 150);
    QTest::mouseClick(child(&f.dialog, "DrawOkButton"), Qt::LeftButton);
    f.rig.settle();

    const QString config = f.dialog.configNumber();
    QCOMPARE(f.image.size(), 1);
    QCOMPARE(f.image.first().first().toString(), config);
    const QImage stored(StoragePaths::picturePath(kFalcon, config.toInt()));
    QCOMPARE(stored.size(), QSize(64, 48));
    const Pixels line = row(20, 10, 50);
    QCOMPARE(lightIn(stored), whiteGround ? complement(line) : line);
    // The screen lights what the file holds light.
    QCOMPARE(litInMemory(f.mouse->firmware().memory(kPictureSlot0, 384)), lightIn(stored));
}

void TstDrawDialog::undoRemovesOnlyTheLastStroke_data()
{
    QTest::addColumn<int>("strokes");
    QTest::newRow("none") << 0;
    QTest::newRow("one") << 1;
    QTest::newRow("two") << 2;
}

void TstDrawDialog::undoRemovesOnlyTheLastStroke()
{
    QFETCH(int, strokes);
    Fixture f;
    QVERIFY(f.rig.show(&f.dialog));
    DrawBorderWidget *canvas = f.dialog.canvas();
    Pixels kept;
    for (int i = 0; i < strokes; ++i) {
        stroke(canvas, 30 + 30 * i, 30, 60); // screen rows 10, 20; columns 10..20
        if (i < strokes - 1)
            for (const auto &p : row(10 + 10 * i, 10, 20))
                kept.insert(p);
    }
    QTest::mouseClick(child(&f.dialog, "Recall_Button"), Qt::LeftButton);
    QCOMPARE(canvas->strokeCount(), qMax(0, strokes - 1));
    QCOMPARE(lightIn(canvas->picture()), kept);
}

void TstDrawDialog::backgroundPicture_data()
{
    QTest::addColumn<bool>("chosen");
    QTest::newRow("a picture chosen") << true;
    QTest::newRow("file dialog cancelled") << false;
}

void TstDrawDialog::backgroundPicture()
{
    QFETCH(bool, chosen);
    Fixture f;
    QVERIFY(f.opened);
    // Twice the screen's size, its left half white: scaled over the whole screen.
    QImage background(128, 96, QImage::Format_RGB32);
    background.fill(Qt::black);
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 64; ++x)
            background.setPixelColor(x, y, Qt::white);
    const QString file = f.rig.home().file(QStringLiteral("/half.bmp"));
    QVERIFY(background.save(file, "BMP"));
    f.dialog.setFileChooser([&](QWidget *, const QString &) { return chosen ? file : QString(); });
    QVERIFY(f.rig.show(&f.dialog));
    QTest::mouseClick(child(&f.dialog, "AddPictureButton"), Qt::LeftButton);
    QTest::mouseClick(child(&f.dialog, "DrawOkButton"), Qt::LeftButton);
    f.rig.settle();
    QCOMPARE(f.image.size(), 1);
    QCOMPARE(f.image.first().first().toString(), chosen ? f.dialog.configNumber() : QStringLiteral("0"));
    Pixels left;
    for (int y = 0; y < 48; ++y)
        for (const auto &p : row(y, 0, 31))
            left.insert(p);
    QCOMPARE(litInMemory(f.mouse->firmware().memory(kPictureSlot0, 384)), chosen ? left : Pixels());
}

void TstDrawDialog::displayButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("behaviour");
    QTest::newRow("DPI value") << "ShowCpiValueButton" << 1;
    QTest::newRow("APM value") << "ShowApmButton" << 2;
    QTest::newRow("screen off") << "CloseOLEDScreenButton" << 3;
}

void TstDrawDialog::displayButtons()
{
    QFETCH(QString, button);
    QFETCH(int, behaviour);
    Fixture f;
    QVERIFY(f.opened);
    QVERIFY(f.rig.show(&f.dialog));
    QSignalSpy screen(&f.dialog, &DrawDialog::sig_OLEDScreenParameter);
    QTest::mouseClick(child(&f.dialog, button.toLatin1().constData()), Qt::LeftButton);
    f.rig.settle();
    QCOMPARE(screen.size(), 1);
    QCOMPARE(screen.first().first().toInt(), behaviour);
    QVERIFY(!f.dialog.isVisible());
    QCOMPARE(f.image.size(), 0);
    QCOMPARE(f.rig.state().pictureIndex(), behaviour);
}

void TstDrawDialog::brightnessGoesToTheMouse()
{
    Fixture f;
    QVERIFY(f.opened);
    QVERIFY(f.rig.show(&f.dialog));
    auto *slider = child<QSlider>(&f.dialog, "BrightnessSlider");
    QSignalSpy sent(&f.dialog, &DrawDialog::sig_OLEDScreenLightIntensity);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Home);     // the lowest value, 5
    QTest::keyClick(slider, Qt::Key_PageUp);   // a page is one step
    QTest::keyClick(slider, Qt::Key_Home);
    QCOMPARE(sent.size(), 3);
    QCOMPARE(sent.at(0).first().toInt(), 5);
    QCOMPARE(sent.at(1).first().toInt(), 6);
    QCOMPARE(sent.at(2).first().toInt(), 5);
    f.rig.settle();
    const RequestOutcome read = f.rig.wait(f.rig.session().readScreenParameters());
    QVERIFY(read.ok);
    QCOMPARE(read.values.value(0) & 0xFF, 5);
}

void TstDrawDialog::failedSaveKeepsDrawingAndOldPicture()
{
    Fixture f;
    QVERIFY(f.opened);
    QVERIFY(f.rig.show(&f.dialog));
    stroke(f.dialog.canvas(), 60, 30, 150);
    QTest::mouseClick(child(&f.dialog, "DrawOkButton"), Qt::LeftButton);
    f.rig.settle();
    QVERIFY(!f.dialog.isVisible());
    const QString path = StoragePaths::picturePath(kFalcon, f.dialog.configNumber().toInt());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    const QByteArray screen = f.mouse->firmware().memory(kPictureSlot0, 384);

    // The next save cannot be written: nothing is sent, the dialog and its drawing stay.
    QVERIFY(f.rig.show(&f.dialog));
    stroke(f.dialog.canvas(), 90, 30, 150);
    AtomicFile::setCommitHookForTests([](const QString &) { return false; });
    const auto requests = f.rig.session().lastRequestId();
    QTest::mouseClick(child(&f.dialog, "DrawOkButton"), Qt::LeftButton);
    f.rig.settle();
    QCOMPARE(f.image.size(), 1);
    QVERIFY(f.dialog.isVisible());
    QVERIFY(child<QLabel>(&f.dialog, "SaveError")->isVisible());
    QCOMPARE(f.dialog.canvas()->strokeCount(), 2);
    QCOMPARE(f.rig.session().lastRequestId(), requests);
    QFile again(path);
    QVERIFY(again.open(QIODevice::ReadOnly));
    QCOMPARE(again.readAll(), before);
    QCOMPARE(f.mouse->firmware().memory(kPictureSlot0, 384), screen);
}

void TstDrawDialog::shots()
{
    Fixture f;
    QVERIFY(f.rig.show(&f.dialog));
    DrawBorderWidget *canvas = f.dialog.canvas();
    // A wave and a word under it.
    QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(12, 40));
    for (int x = 12; x <= 180; x += 6)
        QTest::mouseMove(canvas, QPoint(x, 40 + int(18 * std::sin(x / 20.0))));
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(180, 40));
    QTest::mouseClick(child(&f.dialog, "TextEditButton"), Qt::LeftButton);
    QTest::keyClicks(canvas->lineEdit(), QStringLiteral("QK"));
    QTest::mouseClick(child(&f.dialog, "TextEditButton"), Qt::LeftButton);
    QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(96, 100));
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(96, 100));
    QTest::mouseClick(child(&f.dialog, "Brush_Button"), Qt::LeftButton);
    QVERIFY(!lightIn(canvas->picture()).empty());
    PageRig::shot(&f.dialog, QStringLiteral("oled"));
    // Typing on a white ground.
    QTest::mouseClick(child(&f.dialog, "TextEditButton"), Qt::LeftButton);
    child<QCheckBox>(&f.dialog, "ChangeBackground_CheckBox")->setChecked(true);
    PageRig::shot(&f.dialog, QStringLiteral("oled-text"));
}

QTEST_MAIN(TstDrawDialog)
#include "tst_drawdialog.moc"
