#include "ui/widgets/titlewidget.h"

#include <QMouseEvent>

TitleWidget::TitleWidget(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TitleWidget"));
    setAttribute(Qt::WA_StyledBackground, true);
}

void TitleWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_last = event->globalPos();
    }
    QWidget::mousePressEvent(event);
}

void TitleWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        const QPoint now = event->globalPos();
        Q_EMIT sendMovePosition(now - m_last);
        m_last = now;
    }
    QWidget::mouseMoveEvent(event);
}

void TitleWidget::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}
