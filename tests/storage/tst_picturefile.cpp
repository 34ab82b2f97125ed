// The screen picture file of a stored configuration: what is refused before anything is
// written, what a stored picture reads back as, and that a failed write keeps the old file.
#include "common/atomicfile.h"
#include "storage/picturefile.h"
#include "storage/storagepaths.h"
#include "support/temphome.h"

#include <QtTest>

namespace {
constexpr int kFalcon = 11;

QImage diagonal(QColor ink)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::black);
    for (int i = 0; i < 48; ++i)
        image.setPixelColor(i, i, ink);
    return image;
}
} // namespace

class TstPictureFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { AtomicFile::setCommitHookForTests({}); }
    void refusedBeforeWriting_data();
    void refusedBeforeWriting();
    void storedPictureReadsBack();
    void failedWriteKeepsPreviousPicture();
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

void TstPictureFile::storedPictureReadsBack()
{
    TempHome home;
    const QImage picture = diagonal(Qt::white);
    QVERIFY(PictureFile::save(kFalcon, 3, picture));
    const QString path = StoragePaths::picturePath(kFalcon, 3);
    QVERIFY(path.endsWith(QLatin1String("/MouseFile/falcon/AFile/PictureFile/3/drawImage.BMP")));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(2), QByteArray("BM"));
    const QImage back(path);
    QCOMPARE(back.size(), QSize(64, 48));
    QCOMPARE(back.convertToFormat(QImage::Format_RGB32), picture);
}

void TstPictureFile::failedWriteKeepsPreviousPicture()
{
    TempHome home;
    QVERIFY(PictureFile::save(kFalcon, 1, diagonal(Qt::white)));
    const QString path = StoragePaths::picturePath(kFalcon, 1);
    QFile before(path);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray old = before.readAll();
    AtomicFile::setCommitHookForTests([](const QString &) { return false; });
    AtomicFile::Failure failure;
    QImage other = diagonal(Qt::white);
    other.fill(Qt::white);
    QVERIFY(!PictureFile::save(kFalcon, 1, other, &failure));
    QCOMPARE(failure.path, path);
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), old);
}

QTEST_GUILESS_MAIN(TstPictureFile)
#include "tst_picturefile.moc"
