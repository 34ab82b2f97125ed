#pragma once
// Shown over the whole window whenever no mouse is open: a dark layer, a title, a message, an
// exit button and, once the program has waited 3800 ms for a mouse, a firmware repair button.
// A hint below the message explains what else may be wrong (e.g. the device nodes of a
// supported mouse exist but this user may not open them, and how to fix that).

#include <QWidget>

class QLabel;
class QPushButton;
class QTimer;

class NeedDeviceDialog : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kRepairDelayMs = 3800;

    explicit NeedDeviceDialog(QWidget *parent = nullptr);

    // Extra advice under the message; empty hides it.
    void setHint(const QString &hint);
    QString hint() const;
    bool repairOffered() const;

Q_SIGNALS:
    void sig_closeWindow();
    void sig_ShowUpdateWidget(bool isChangeable, bool isLocalUpdateState, int mouseType, bool isUpdateNow);

public Q_SLOTS:
    void on_OkButton_clicked();
    void on_FirmwareRepairPushButton_clicked();
    void slot_TimeOut();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QTimer *m_timer = nullptr;
    QLabel *m_hint = nullptr;
    QPushButton *m_repair = nullptr;
};
