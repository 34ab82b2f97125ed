#include "ui/dialogs/drawborderwidget.h"

#include <QDebug>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

namespace {
// How often slot_loadImage() repaints at most.
constexpr int kLoadRepaints = 40;
// One line of text on a 64-pixel-wide screen.
constexpr int kMaxTextLength = 32;

QPoint toPicture(const QPoint &p)
{
    return QPoint(qRound(p.x() / double(DrawBorderWidget::kScale)), qRound(p.y() / double(DrawBorderWidget::kScale)));
}
} // namespace

DrawBorderWidget::DrawBorderWidget(QWidget *parent)
    : QWidget(parent), m_edit(new QLineEdit(this)), m_label(new QLabel(this))
{
    setObjectName(QStringLiteral("DrawBorderWidget"));
    setFixedSize(kWidth, kHeight);
    setCursor(Qt::CrossCursor);

    // The label only carries the text's place and font: the picture draws the text itself, so
    // that what is shown is exactly what the screen will show.
    m_label->setGeometry(0, 0, kWidth, kHeight);
    m_label->hide();

    m_edit->setObjectName(QStringLiteral("DrawTextEdit"));
    m_edit->setFrame(false);
    m_edit->setAlignment(Qt::AlignCenter);
    m_edit->setMaxLength(kMaxTextLength);
    m_edit->setReadOnly(true);
    m_edit->hide();
    connect(m_edit, &QLineEdit::textChanged, this, [this] {
        m_label->setText(m_edit->text());
        changed();
    });
    setTextFont(font());
    applyTextStyle();
}

void DrawBorderWidget::changed()
{
    update();
}

void DrawBorderWidget::applyTextStyle()
{
    // The line edit shows the text as it will look: bold, its size, the ink of the ground.
    m_edit->setStyleSheet(QStringLiteral("%1%2%3%4")
                              .arg(QStringLiteral("QLineEdit{border:none;background:transparent;font-weight:99;"),
                                   QStringLiteral("font-size:") + QString::number(m_fontPixels) + QStringLiteral("px;"),
                                   m_black ? QStringLiteral("color:white;") : QStringLiteral("color:black;"),
                                   QStringLiteral("}")));
}

void DrawBorderWidget::clear()
{
    m_background.clear();
    m_backgroundImage = QImage();
    m_strokes.clear();
    m_drawing = false;
    m_edit->clear();
    m_label->move(0, 0);
    m_edit->move(0, 0);
    changed();
}

void DrawBorderWidget::undo()
{
    if (m_strokes.isEmpty())
        return;
    m_strokes.removeLast();
    m_drawing = false;
    changed();
}

void DrawBorderWidget::setBackgroundPicture(const QString &path)
{
    m_background = path;
    m_backgroundImage = path.isEmpty() ? QImage() : QImage(path);
    changed();
}

void DrawBorderWidget::setBlackBackground(bool black)
{
    m_black = black;
    applyTextStyle();
    changed();
}

void DrawBorderWidget::setTextFont(const QFont &font)
{
    QFont f = font;
    f.setPixelSize(m_fontPixels);
    m_label->setFont(f);
    m_edit->setFont(f);
    applyTextStyle();
    changed();
}

void DrawBorderWidget::setTextPixelSize(int pixels)
{
    m_fontPixels = pixels;
    QFont f = m_label->font();
    f.setPixelSize(pixels);
    m_label->setFont(f);
    m_edit->setFont(f);
    applyTextStyle();
    changed();
}

void DrawBorderWidget::setPenMode(bool on)
{
    m_penMode = on;
    m_drawing = false;
}

void DrawBorderWidget::setTextMode(bool on)
{
    m_textMode = on;
    if (on) {
        m_edit->setGeometry(m_label->geometry());
        m_edit->setReadOnly(false);
        m_edit->show();
        m_edit->setFocus();
    } else {
        m_edit->setReadOnly(true);
        m_edit->hide();
    }
    changed();
}

QString DrawBorderWidget::text() const
{
    return m_edit->text();
}

bool DrawBorderWidget::isEmpty() const
{
    return m_background.isEmpty() && m_strokes.isEmpty() && m_edit->text().isEmpty();
}

QImage DrawBorderWidget::picture() const
{
    const QColor ground = m_black ? Qt::black : Qt::white;
    const QColor ink = m_black ? Qt::white : Qt::black;
    QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    image.fill(ground);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    if (!m_backgroundImage.isNull())
        p.drawImage(image.rect(), m_backgroundImage);
    p.setPen(QPen(ink, 1));
    for (const QList<QPoint> &stroke : m_strokes) {
        if (stroke.size() < 2)
            continue;
        for (int i = 1; i < stroke.size(); ++i)
            p.drawLine(toPicture(stroke.at(i - 1)), toPicture(stroke.at(i)));
        // Both ends count, so a click without a move leaves a dot.
        p.drawPoint(toPicture(stroke.last()));
    }
    if (!m_textMode && !m_edit->text().isEmpty()) {
        QFont f(m_label->font().family());
        f.setWeight(75);
        f.setPixelSize(qMax(1, m_fontPixels / kScale));
        // The screen has no grey: hard-edged glyphs, as they will appear.
        f.setStyleStrategy(QFont::NoAntialias);
        p.setFont(f);
        p.drawText(QRect(m_label->pos() / kScale, QSize(kPictureWidth, kPictureHeight)), Qt::AlignCenter,
                   m_edit->text());
    }
    return image;
}

QImage DrawBorderWidget::pictureToSave()
{
    if (m_textMode)
        setTextMode(false);
    m_edit->hide();
    if (isEmpty())
        return {};
    return picture();
}

void DrawBorderWidget::slot_loadImage()
{
    if (m_loadCount >= kLoadRepaints)
        return;
    ++m_loadCount;
    // The picture file may still be arriving: read it again (painting never reads the disk).
    if (!m_background.isEmpty())
        m_backgroundImage = QImage(m_background);
    update();
}

void DrawBorderWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    // Scaled without smoothing: every screen pixel is a crisp 3 x 3 block.
    p.drawImage(rect(), picture());
}

void DrawBorderWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (m_penMode) {
        m_strokes.append(QList<QPoint>{event->pos()});
        m_drawing = true;
        changed();
        return;
    }
    mouseMoveEvent(event);
}

void DrawBorderWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (m_penMode) {
        if (m_drawing && (event->buttons() & Qt::LeftButton)) {
            m_strokes.last().append(event->pos());
            changed();
        }
        return;
    }
    // Placing the text: it follows the pointer while the pointer is inside the canvas.
    const QPoint pos = event->pos();
    if (m_textMode || m_edit->text().isEmpty() || pos.x() <= 0 || pos.x() >= kWidth || pos.y() <= 0
        || pos.y() >= kHeight)
        return;
    m_label->move(pos - QPoint(m_label->width() / 2, m_label->height() / 2));
    m_edit->move(m_label->pos());
    changed();
}

void DrawBorderWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_drawing)
        return;
    m_strokes.last().append(event->pos());
    m_drawing = false;
    changed();
}
