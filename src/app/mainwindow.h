#pragma once
// The main window: a fixed 960 x 640 frameless window. For now it shows the product name and
// what it is told; the pages, the coordinator and the watcher join it as they are built.

#include <QWidget>

class QLabel;

class MainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);

    // Brings the window to the front (stay-on-top, show, clear the flag, show normal).
    void bringToFront();

public Q_SLOTS:
    // A second start handed us its message: log it, come to the front and, unless the message is
    // our own executable path, tell the user the program is already running.
    void slotMessageReceived(const QString &message);

Q_SIGNALS:
    void QuitTheApplication();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QLabel *m_status = nullptr;
    QPoint m_dragOffset;
    bool m_dragging = false;
};
