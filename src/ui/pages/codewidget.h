#pragma once
// The wireless pairing page: pairs a Falcon-family mouse with the receiver it is used through.
// The instructions come first; Pair asks the session to start pairing, and once the receiver has
// entered pairing mode the page shows the steps the user takes on the mouse while the session
// polls the receiver (every 100 ms, for at most 20 s). Either exit button abandons a pairing
// that runs. Pairing works only with a receiver open; over a cable the start fails at once.

#include "session/devicesession.h"

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;
class QProgressBar;
class QStackedWidget;

class CodeWidget : public QWidget
{
    Q_OBJECT
public:
    // The stacked widget's pages.
    enum Page { InstructionsPage = 0, PairingPage = 1 };

    explicit CodeWidget(DeviceSession *session, QWidget *parent = nullptr);

    int currentPage() const;
    // A pairing was started by this page and has not ended.
    bool pairing() const { return m_pairing; }

Q_SIGNALS:
    // The pair button was pressed (the page has asked the session to start pairing).
    void sig_startCode();
    // Either exit button was pressed (a pairing that ran has been abandoned).
    void sig_stopCode();
    void sig_SendUIEventMessageToGA(QString category, QString action, QString Label, QString viewScreen);
    // Whether the receiver entered pairing mode (false: no receiver open, or it refused).
    void sig_codeStarted(bool started);
    // How a started pairing ended: true a mouse was paired; false it failed or timed out. Not
    // emitted for an abandoned pairing.
    void sig_codeFinished(bool paired);

public Q_SLOTS:
    // Starts pairing as the pair button does (without the analytics event).
    void slot_startCode();
    // Abandons a pairing that runs and shows the instructions again (the window leaves the page
    // or loses the mouse).
    void slot_stopCode();
    void initText();

private Q_SLOTS:
    void on_pushButton_code_clicked();
    void on_pushButton_stopCode_clicked();
    void on_pushButton_stopCode_3_clicked();

private:
    void onRequestFinished(quint64 id, const RequestOutcome &outcome);
    void onPairingFinished(bool paired);
    void showPage(Page page);

    DeviceSession *m_session;
    DeviceSession::RequestId m_startRequest = 0; // the start asked for, until its outcome
    bool m_pairing = false;

    QStackedWidget *m_stack;
    QLabel *m_title;
    QList<QLabel *> m_steps; // the five instructions, in order
    QLabel *m_waiting;
    QProgressBar *m_busy;
    QPushButton *m_code;
    QPushButton *m_stopCode;
    QPushButton *m_stopCode3;
};
