#pragma once
// The colour wheel of the lighting page: hue around the circle (red to the right, turning
// clockwise), white at the centre and full colour at the rim. The wheel is drawn from
// colorAt(), and a click answers with colorAt() of the point clicked, so what is picked is
// always what is shown there, whatever covers the wheel on the screen.

#include <QColor>
#include <QImage>
#include <QWidget>

class ColorWheel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kSize = 138;  // the widget is kSize x kSize logical pixels
    static constexpr int kRadius = 69; // the circle around (kRadius, kRadius)

    explicit ColorWheel(QWidget *parent = nullptr);

    // The colour the wheel shows at a point (logical pixels, widget coordinates): the hue is
    // the angle around the centre, the saturation the distance from it (full at the rim and
    // beyond), the value always full.
    static QColor colorAt(const QPointF &point);
    // Whether a click at this pixel is on the wheel (at most kRadius from the centre).
    static bool hits(const QPoint &pixel);

    QSize sizeHint() const override { return QSize(kSize, kSize); }

Q_SIGNALS:
    void sigColor(int red, int green, int blue);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    // The wheel at a device pixel ratio, transparent outside the circle (edge smoothed).
    static QImage render(qreal ratio);

    QImage m_image; // render() at the last ratio painted
};
