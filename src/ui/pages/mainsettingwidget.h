#pragma once
// Page 0 of the main window: the DPI stages (seven rows), the report rate, the system pointer
// speed and wheel scrolling, the mouse picture with one button per physical button, and the
// entry to the screen picture editor on models with a screen.
//
// The page shows session->state() and changes the mouse only through the session's requests
// (setDpiStages, setReportRate, setDpiRowValue). Pointer speed and wheel lines are settings of
// the computer: the page reports them (sig_SetPointSpeed, sig_SetTrolleySpeed) and the main
// window applies them and tells the page what they are with setPointerSettings().

#include "session/devicesession.h"

#include <QList>
#include <QMap>
#include <QWidget>

class QButtonGroup;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class CPIForm;
class MousePicture;
class MoveSlider;
class MyPushButton;

class MainSettingWidget : public QWidget
{
    Q_OBJECT
public:
    explicit MainSettingWidget(DeviceSession *session, QWidget *parent = nullptr);

    static constexpr int kStages = 7;

    // The computer's pointer speed (1..20) and wheel lines (-1: one screen per notch). When the
    // desktop has no such setting (available false) both controls are disabled and say why.
    void setPointerSettings(bool available, const QString &whyNot, int speed, int lines);

    int mouseType() const { return m_mouseType; }
    // The stage list as the page last sent or showed it (seven rows, 0 = disabled row).
    QList<DWORD> stageList() const { return m_stageList; }
    CPIForm *row(int stage) const { return m_rows.value(stage); }
    QMap<int, MyPushButton *> buttons() const;

Q_SIGNALS:
    void sig_showDrawDialog();
    void sig_showKeySettingDialog(int changedKey, int buttonChangeType, int buttonTrueValue, int modifyKeyValue);
    // Notices of what the page has just sent through the session (not to be forwarded again).
    void sig_ChangeCPIValue(int level, int value);
    void sig_ChangeCPIListValue(QList<DWORD> list);
    void sig_ChangeUSBReportRate(int value);
    // Computer settings for the main window to apply.
    void sig_SetPointSpeed(int value);
    void sig_SetTrolleySpeed(int value);
    void sig_SendEventMessageToGA(QString category, QString action, QString Label, QString viewScreen);

public Q_SLOTS:
    void slot_SetUSBReportRateOnPage(int value);
    void slot_SetKeyTrueValue(int button, int changeType, int trueMosueValue, int modifyKey);
    void slot_SetMouseButtonStyleSheetIsOriginal(bool state, int button);
    void slot_SetCpidListValueOnPage(QList<DWORD> listDword);
    void on_DrawButton_clicked();
    void on_USBReportRate_125RadioButton_clicked();
    void on_USBReportRate_250RadioButton_clicked();
    void on_USBReportRate_500RadioButton_clicked();
    void on_USBReportRate_1000RadioButton_clicked();
    void on_spinBox_valueChanged(int arg1);
    void on_TrolleySpeed_RadioButton_1_clicked();
    void on_TrolleySpeed_RadioButton_2_clicked();
    void slot_CheckIsLastOneCpi(int level, int value);
    void slot_ChangeCPIValueOnMouse(int level, int value);
    void slot_ShowKeySettingDialog(int button, int changeType, int trueMouseValue, int modifyKeyValue);
    void slot_CpiChangeUIEvent(bool type);
    void slot_SetPointSpeed(int value);

private:
    void buildDpiCard(QWidget *card);
    void buildSettingsCard(QWidget *card);
    void setMouseType(int code);
    void refresh();
    void reportRateClicked(int code);
    void wireButtons();
    // The row of the n-th (1-based) stage the mouse holds; -1 when no row is free for it.
    int getActualPositionInPageEnable(int n, const QList<bool> &taken) const;
    void sendEvent(const QString &action, const QString &label);

    DeviceSession *m_session;
    int m_mouseType = -1;
    QMap<int, CPIForm *> m_rows;
    QList<DWORD> m_stageList;
    // What the rows were last built from, so that a state change elsewhere leaves them alone.
    QList<DWORD> m_shownStages;
    DeviceState::DpiGears m_shownGears;
    int m_shownRate = -2;
    MousePicture *m_picture = nullptr;
    QButtonGroup *m_rateGroup = nullptr;
    QList<QRadioButton *> m_rateButtons;
    MoveSlider *m_pointSlider = nullptr;
    QRadioButton *m_linesRadio = nullptr;
    QRadioButton *m_screenRadio = nullptr;
    QWidget *m_linesBox = nullptr; // the lines spin box with its buttons
    QSpinBox *m_linesSpin = nullptr;
    QLabel *m_pointerNote = nullptr;
    QPushButton *m_drawButton = nullptr;
};
