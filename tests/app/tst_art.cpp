// The compiled-in artwork: every image path the program names exists at its size, at 1x and
// @2x, and draws something; no two of them are the same picture (a variant whose colour
// parameter was lost would be). Set QK_ART_SHEET=<file.png> to also write a contact sheet of all
// images at 2x for a visual check.

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QtTest>

namespace {

struct Art {
    const char *path;
    int width;
    int height;
};

QString upper(const char *name) { return QString::fromLatin1(name).toUpper(); }

QVector<Art> table()
{
    static const Art fixed[] = {
        {":/icon/picture/128-128.png", 128, 128},
        {":/icon/picture/48-icon.png", 48, 48},
        {":/picture/picture/tab_btn_left.png", 180, 56},
        {":/picture/picture/tab_btn_left_s.png", 180, 56},
        {":/picture/picture/tab_btn_centre.png", 180, 56},
        {":/picture/picture/tab_btn_centre_s.png", 180, 56},
        {":/picture/picture/tab_btn_right.png", 180, 56},
        {":/picture/picture/tab_btn_right_s.png", 180, 56},
        {":/picture/picture/set_btn_1.png", 64, 36},
        {":/picture/picture/set_btn_1_hl.png", 64, 36},
        {":/picture/picture/set_btn_1_s.png", 64, 36},
        {":/picture/picture/set_btn_2.png", 96, 36},
        {":/picture/picture/set_btn_2_hl.png", 96, 36},
        {":/picture/picture/set_btn_2_s.png", 96, 36},
        {":/picture/picture/top_icon_battery0.png", 34, 18},
        {":/picture/picture/top_icon_battery.png", 34, 18},
        {":/picture/picture/top_icon_battery2.png", 34, 18},
        {":/picture/picture/top_icon_battery3.png", 34, 18},
        {":/picture/picture/top_icon_battery4.png", 34, 18},
        {":/picture/picture/top_icon_battery5.png", 34, 18},
        {":/picture/picture/top_icon_charging.png", 34, 18},
        {":/picture/picture/top_icon_charging_full.png", 34, 18},
        {":/picture/picture/Falcon/wire.png", 24, 24},
        {":/picture/picture/Falcon/wireless.png", 24, 24},
        {":/picture/picture/macro_icon_fall.png", 20, 20},
        {":/picture/picture/macro_icon_top.png", 20, 20},
        {":/picture/picture/macro_icon_time.png", 20, 20},
        {":/picture/picture/macro_icon_top copy.png", 20, 20},
        {":/picture/picture/bg_light_color.png", 138, 138},
        {":/picture/picture/pop_show_pan.png", 32, 32},
        {":/picture/picture/pop_show_pan_s.png", 32, 32},
        {":/picture/picture/pop_show_frot.png", 32, 32},
        {":/picture/picture/pop_show_frot_s.png", 32, 32},
        {":/picture/picture/mouse/mouse_swift.png", 160, 300},
        {":/picture/picture/mouse/mouse_osprey.png", 160, 300},
        {":/picture/picture/mouse/mouse_wren.png", 160, 300},
        {":/picture/picture/mouse/mouse_kite.png", 160, 300},
        {":/picture/picture/mouse/mouse_lark.png", 160, 300},
        {":/picture/picture/mouse/mouse_falcon.png", 160, 300},
        {":/picture/picture/mouse/key_btn.png", 84, 26},
        {":/picture/picture/mouse/key_btn_s.png", 84, 26},
    };
    QVector<Art> all(std::begin(fixed), std::end(fixed));
    return all;
}

// Model logos: ":/picture/<family name>/picture/<FAMILY NAME>/logo_kelvo.png", 200 x 48.
const char *const families[] = {"swift", "osprey", "wren", "swifts", "wrens", "kitec", "kiteq",
                                "falconc", "falconq", "falcon", "kite", "heron", "lark"};

QVector<QPair<QString, QSize>> everyImage()
{
    QVector<QPair<QString, QSize>> out;
    for (const Art &a : table())
        out.append({QString::fromUtf8(a.path), QSize(a.width, a.height)});
    for (const char *f : families)
        out.append({QStringLiteral(":/picture/%1/picture/%2/logo_kelvo.png").arg(f, upper(f)),
                    QSize(200, 48)});
    return out;
}

int opaquePixels(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int n = 0;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            n += qAlpha(argb.pixel(x, y)) > 0 ? 1 : 0;
    return n;
}

} // namespace

class TstArt : public QObject {
    Q_OBJECT
private slots:
    void present_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        for (const auto &image : everyImage())
            QTest::newRow(qPrintable(image.first)) << image.first << image.second;
    }
    void present()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        const QImage one(path);
        QVERIFY2(!one.isNull(), qPrintable(path));
        QCOMPARE(one.size(), size);
        // Something is drawn: at least a tenth of the pixels (the thinnest icons are outlines).
        QVERIFY(opaquePixels(one) * 10 >= size.width() * size.height());

        const QString path2 = path.left(path.size() - 4) + QStringLiteral("@2x.png");
        const QImage two(path2);
        QVERIFY2(!two.isNull(), qPrintable(path2));
        QCOMPARE(two.size(), size * 2);
        QVERIFY(opaquePixels(two) >= 4 * opaquePixels(one) / 2);
    }

    void everyImageDiffers()
    {
        const auto images = everyImage();
        QHash<QByteArray, QString> seen;
        for (const auto &image : images) {
            QImage picture(image.first);
            picture = picture.convertToFormat(QImage::Format_ARGB32);
            const QByteArray bits(reinterpret_cast<const char *>(picture.constBits()),
                                  int(picture.sizeInBytes()));
            const QByteArray key = QCryptographicHash::hash(bits, QCryptographicHash::Sha1);
            QVERIFY2(!seen.contains(key),
                     qPrintable(image.first + QStringLiteral(" equals ") + seen.value(key)));
            seen.insert(key, image.first);
        }
        QCOMPARE(seen.size(), 54);
    }

    void contactSheet()
    {
        const QString file = qEnvironmentVariable("QK_ART_SHEET");
        if (file.isEmpty())
            QSKIP("QK_ART_SHEET not set");
        const auto images = everyImage();
        const int cell = 300;
        const int columns = 6;
        QImage sheet(columns * cell, int((images.size() + columns - 1) / columns) * 160,
                     QImage::Format_ARGB32);
        sheet.fill(QColor(0x0E, 0x0F, 0x12));
        QPainter p(&sheet);
        p.setPen(QColor(0x9A, 0xA0, 0xA6));
        for (int i = 0; i < images.size(); ++i) {
            const QImage two(images.at(i).first.left(images.at(i).first.size() - 4) + "@2x.png");
            const QPoint at((i % columns) * cell + 8, (i / columns) * 160 + 8);
            p.drawImage(at, two.scaled(two.size().boundedTo(QSize(cell - 16, 120)), Qt::KeepAspectRatio));
            p.drawText(at + QPoint(0, 140), images.at(i).first.mid(2).section('/', -2));
        }
        p.end();
        QVERIFY(sheet.save(file));
    }
};

QTEST_MAIN(TstArt)
#include "tst_art.moc"
