#include "ui/widgets/cpislider.h"

#include "ui/widgets/dpistep.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

#include <cmath>

// ---- MoveSlider ----------------------------------------------------------------------------

MoveSlider::MoveSlider(int minimum, int maximum, const QSize &size, QWidget *parent)
    : QSlider(Qt::Horizontal, parent)
{
    setObjectName(QStringLiteral("MoveSlider"));
    setRange(minimum, maximum);
    setSingleStep(1);
    setPageStep(1);
    setFixedSize(size);
    setFocusPolicy(Qt::StrongFocus);
}

void MoveSlider::report()
{
    if (value() >= 1 && value() <= 20)
        Q_EMIT sig_ValueChange(value());
}

void MoveSlider::mouseReleaseEvent(QMouseEvent *event)
{
    QSlider::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton)
        report();
}

void MoveSlider::keyReleaseEvent(QKeyEvent *event)
{
    QSlider::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        report();
}

void MoveSlider::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}

// ---- CPISlider -----------------------------------------------------------------------------

CPISlider::CPISlider(const DpiRange &range, QWidget *parent)
    : QSlider(Qt::Horizontal, parent), m_range(range)
{
    setObjectName(QStringLiteral("CPISlider"));
    setRange(range.minimum, range.maximum);
    setSingleStep(range.step);
    setPageStep(range.step);
    setFocusPolicy(Qt::StrongFocus);
}

int CPISlider::valueAt(int x) const
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    const double left = groove.left() + handle.width() / 2.0;
    const double span = qMax(1.0, double(groove.width() - handle.width()));
    const double fraction = qBound(0.0, (x - left) / span, 1.0);
    return m_range.minimum + int(std::trunc(fraction * (m_range.maximum - m_range.minimum)));
}

void CPISlider::mousePressEvent(QMouseEvent *event)
{
    if (!isEnabled() || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_dragging = true;
    setSliderDown(true);
    Q_EMIT sig_IsMovingSlider(true);
    setValue(valueAt(event->pos().x()));
    event->accept();
}

void CPISlider::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    setValue(valueAt(event->pos().x()));
    event->accept();
}

void CPISlider::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    m_dragging = false;
    setSliderDown(false);
    Q_EMIT sig_IsMovingSlider(false);
    if (event->button() == Qt::LeftButton)
        settle(value());
    event->accept();
}

void CPISlider::keyPressEvent(QKeyEvent *event)
{
    int next = value();
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down: next = DpiStep::down(m_range, value()); break;
    case Qt::Key_Right:
    case Qt::Key_Up: next = DpiStep::up(m_range, value()); break;
    case Qt::Key_PageDown:
        for (int i = 0; i < 10; ++i)
            next = DpiStep::down(m_range, next);
        break;
    case Qt::Key_PageUp:
        for (int i = 0; i < 10; ++i)
            next = DpiStep::up(m_range, next);
        break;
    case Qt::Key_Home: next = m_range.minimum; break;
    case Qt::Key_End: next = m_range.maximum; break;
    default: QSlider::keyPressEvent(event); return;
    }
    if (isEnabled() && next != value())
        settle(next);
    event->accept();
}

void CPISlider::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}

void CPISlider::settle(int value)
{
    const int snapped = snap(value);
    setValue(snapped);
    Q_EMIT sig_SliderValueChange(snapped);
    Q_EMIT sig_CpiSliderChange(true);
}

int CPISlider::snap(int value) const
{
    return DpiStep::snap(m_range, value);
}

OneKindSingleStepCPISlider::OneKindSingleStepCPISlider(const DpiRange &range, QWidget *parent)
    : CPISlider(DpiRange{range.minimum, range.maximum, range.step}, parent)
{
}

TwoKindStepCPISlider::TwoKindStepCPISlider(const DpiRange &range, QWidget *parent)
    : CPISlider(range, parent)
{
}
