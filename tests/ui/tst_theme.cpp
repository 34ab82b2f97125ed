// The shared style sheet: what an empty field's hint looks like next to typed text.

#include "ui/theme/palette.h"
#include "ui/theme/theme.h"

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

namespace {

// The brightest colour drawn inside the field: its text or hint (the frame and fill are darker).
QColor brightestInside(QLineEdit *edit)
{
    const QImage image = edit->grab().toImage();
    QColor best(Qt::black);
    for (int y = 4; y < image.height() - 4; ++y)
        for (int x = 4; x < image.width() - 4; ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qGray(c.rgb()) > qGray(best.rgb()))
                best = c;
        }
    return best;
}

} // namespace

class TstTheme : public QObject
{
    Q_OBJECT
private slots:
    void hintIsSecondaryText_data();
    void hintIsSecondaryText();
};

void TstTheme::hintIsSecondaryText_data()
{
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("cleared"); // typed, then removed again: "" keeps it
    QTest::addColumn<QColor>("drawn");

    QTest::newRow("hint of an empty field") << "E-mail WWW" << "" << "" << Palette::secondaryText();
    QTest::newRow("typed text") << "E-mail WWW" << "ann@example.com" << "" << Palette::text();
    QTest::newRow("typed, then cleared") << "E-mail WWW" << "ann@example.com" << "yes" << Palette::secondaryText();
    QTest::newRow("no hint, typed text") << "" << "ann@example.com" << "" << Palette::text();
}

void TstTheme::hintIsSecondaryText()
{
    QFETCH(QString, hint);
    QFETCH(QString, typed);
    QFETCH(QString, cleared);
    QFETCH(QColor, drawn);

    QWidget window;
    QVERIFY(Theme::apply(&window));
    auto *edit = new QLineEdit(&window);
    auto *other = new QLineEdit(&window); // holds the focus, so no cursor is drawn in edit
    auto *column = new QVBoxLayout(&window);
    column->addWidget(edit);
    column->addWidget(other);
    Theme::setPlaceholder(edit, hint);
    window.resize(320, 100);
    window.show();
    other->setFocus();
    QTest::keyClicks(edit, typed);
    if (!cleared.isEmpty())
        edit->clear();
    QCOMPARE(brightestInside(edit).name(), drawn.name());
}

QTEST_MAIN(TstTheme)
#include "tst_theme.moc"
