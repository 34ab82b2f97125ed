// The screen picture file of a stored configuration: what is refused before anything is written
// (a stored picture reading back, and a failed write, are checked through the session and the
// picture editor).
#include "common/atomicfile.h"
#include "storage/picturefile.h"
#include "storage/storagepaths.h"
#include "support/temphome.h"

#include <QtTest>

namespace {
constexpr int kFalcon = 11;
} // namespace

class TstPictureFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void refusedBeforeWriting_data();
    void refusedBeforeWriting();
};

void TstPictureFile::refusedBeforeWriting_data()
{
    QTest::addColumn<int>("config");
    QTest::addColumn<QSize>("size");
    QTest::newRow("configuration 0") << 0 << QSize(64, 48);
    QTest::newRow("configuration 6") << 6 << QSize(64, 48);
    QTest::newRow("screen size of the canvas") << 1 << QSize(192, 144);
    QTest::newRow("one row short") << 1 << QSize(64, 47);
    QTest::newRow("null picture") << 1 << QSize();
}

void TstPictureFile::refusedBeforeWriting()
{
    QFETCH(int, config);
    QFETCH(QSize, size);
    TempHome home;
    const QImage picture = size.isValid() ? QImage(size, QImage::Format_RGB32) : QImage();
    AtomicFile::Failure failure;
    QVERIFY(!PictureFile::save(kFalcon, config, picture, &failure));
    QVERIFY(!failure.reason.isEmpty());
    for (int n = 0; n <= 6; ++n)
        QVERIFY(!QFile::exists(StoragePaths::picturePath(kFalcon, n)));
}

QTEST_GUILESS_MAIN(TstPictureFile)
#include "tst_picturefile.moc"
