#pragma once
// The main window: a fixed 960 x 640 frameless window. For now it shows the product name and
// what the presence watcher reports; the pages and the coordinator join it as they are built.

#include <QStringList>
#include <QWidget>
#include <memory>

class DeviceSession;
class QLabel;

class MainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override; // stops the watcher's thread

    // The last lines the device status shows (newest last).
    QStringList deviceEvents() const { return m_events; }
    // What the window shows of the open mouse ("" while none is open).
    QString deviceSummary() const;

    // Brings the window to the front (stay-on-top, show, clear the flag, show normal).
    void bringToFront();

public Q_SLOTS:
    // A second start handed us its message: log it, come to the front and, unless the message is
    // our own executable path, tell the user the program is already running.
    void slotMessageReceived(const QString &message);
    // The watcher's report: a device found or lost (pid, vid).
    void slot_WarningDeviceNotInsert(bool isfind, uint Pid, uint Vid);
    // The model of a device waiting in its boot loader.
    void slot_SetKelvoMouseBooltDescriptor(int type);

Q_SIGNALS:
    void QuitTheApplication();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void addDeviceEvent(const QString &line);
    void showSummary();

    QLabel *m_status = nullptr;
    QLabel *m_history = nullptr;
    QStringList m_events;
    int m_bootType = 0;
    std::unique_ptr<DeviceSession> m_session; // the watcher and the coordinator, on their threads
    bool m_openFailed = false;
    QPoint m_dragOffset;
    bool m_dragging = false;
};
