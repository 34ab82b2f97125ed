#pragma once
// The window's own title bar (the window is frameless): dragging it moves the window.

#include <QPoint>
#include <QWidget>

class TitleWidget : public QWidget
{
    Q_OBJECT
public:
    explicit TitleWidget(QWidget *parent = nullptr);

Q_SIGNALS:
    // How far the pointer moved since the last report while the left button is held.
    void sendMovePosition(QPoint delta);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_dragging = false;
    QPoint m_last;
};
