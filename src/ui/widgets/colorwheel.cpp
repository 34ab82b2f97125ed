#include "ui/widgets/colorwheel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

#include <algorithm>
#include <cmath>

ColorWheel::ColorWheel(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ColorWheel"));
    setFixedSize(kSize, kSize);
    setCursor(Qt::CrossCursor);
}

QColor ColorWheel::colorAt(const QPointF &point)
{
    const qreal dx = point.x() - kRadius;
    const qreal dy = point.y() - kRadius;
    qreal turn = std::atan2(dy, dx) / (2 * M_PI); // y grows downwards: clockwise on the screen
    if (turn < 0)
        turn += 1;
    if (turn >= 1) // a tiny negative angle rounds up to a whole turn
        turn = 0;
    const qreal saturation = std::min<qreal>(1, std::hypot(dx, dy) / kRadius);
    return QColor::fromHsvF(turn, saturation, 1);
}

bool ColorWheel::hits(const QPoint &pixel)
{
    const int dx = pixel.x() - kRadius;
    const int dy = pixel.y() - kRadius;
    return dx * dx + dy * dy <= kRadius * kRadius;
}

QImage ColorWheel::render(qreal ratio)
{
    const int side = qCeil(kSize * ratio);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < side; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < side; ++x) {
            // Every device pixel shows the colour at its centre.
            const QPointF at((x + 0.5) / ratio, (y + 0.5) / ratio);
            const qreal distance = std::hypot(at.x() - kRadius, at.y() - kRadius);
            const qreal cover = std::clamp<qreal>((kRadius - distance) * ratio + 0.5, 0, 1);
            const QColor c = colorAt(at);
            line[x] = qPremultiply(qRgba(c.red(), c.green(), c.blue(), qRound(cover * 255)));
        }
    }
    image.setDevicePixelRatio(ratio);
    return image;
}

void ColorWheel::paintEvent(QPaintEvent *)
{
    const qreal ratio = devicePixelRatioF();
    if (m_image.isNull() || !qFuzzyCompare(m_image.devicePixelRatio(), ratio))
        m_image = render(ratio);
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), m_image);
}

void ColorWheel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !hits(event->pos())) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QColor c = colorAt(QPointF(event->pos()) + QPointF(0.5, 0.5));
    Q_EMIT sigColor(c.red(), c.green(), c.blue());
}
