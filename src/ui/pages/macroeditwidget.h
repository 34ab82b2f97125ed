#pragma once
// Page 2 of the main window: the macro library (one JSON file per macro), recording a macro from
// the keyboard and three on-screen mouse buttons, the event list with its editing panel, and how
// the macro plays. The page never talks to the mouse: a macro reaches it when the user assigns it
// to a button in the button dialog, which reads the same files. Files are read and written only
// through the session's macro library calls.
//
// Recording takes the time between events from the pacing clock (Pacer::nowMs()), so a test
// drives it with the virtual clock.

#include "session/devicesession.h"

#include <QList>
#include <QModelIndex>
#include <QVariantMap>
#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QIntValidator;
class QKeyEvent;

class MacroEditWidget : public QWidget
{
    Q_OBJECT
public:
    explicit MacroEditWidget(DeviceSession *session, QWidget *parent = nullptr);

    // The device length a macro may have; longer recordings stop with warning 27.
    static constexpr int kMaxMacroLength = 899;
    static constexpr int kWarningMacroTooLong = 27;
    // Event-list row types (key "0" of a row's map).
    enum RowType { KeyRow = 3, DelayRow = 4, PositionRow = 6 };

    // Bytes one step takes in the mouse: 3 with a delay under 128 ms, else 7.
    static int calculateMacroNodeLength(int time);
    // The steps' bytes, 4 more for every cursor-position step.
    static int calculateMacroListLength(const QList<MacroNode> &nodes);
    // A sided code for a generic Ctrl, Shift or Alt by the Windows scan code of the key (0x1D,
    // 0x11D Ctrl; 0x2A, 0x36 Shift; 0x38, 0x138 Alt); any other scan code keeps virtualKey.
    static bool turnShortCutScanCodeToVirtualCode(quint32 scanCode, int &virtuanCode);

    bool isRecording() const { return m_recording; }
    bool isEditing() const { return m_editing; }
    // The path of the selected macro, empty when none is selected.
    QString currentMacroPath() const;
    // The running length of the recording in device bytes.
    int getMacroLength() const { return m_macroLength; }
    // The map of every row of the event list, in order.
    QList<QVariantMap> eventRows() const;
    // The steps the event list stands for (as updateMacroFile writes them).
    QList<MacroNode> eventNodes() const;

    // Ends a running recording (the main window calls it when it leaves the page).
    void stopRecording();
    // Selects the macro of that path in the name list and loads it; false when it is not listed.
    bool selectMacro(const QString &path);

Q_SIGNALS:
    void sig_HeaderButtonEnable(bool state);
    void sig_ShowWarningWidgetOnMacroEditWidget(int type);
    void sig_BanClickTopButton(bool state, bool isTransparent);
    void sig_SendEventMessageToGA(QString category, QString action, QString Label, QString viewScreen);

public Q_SLOTS:
    void slot_reLoadMacroNamelist();
    void slot_MacroNameEditFinishedfunc(QListWidgetItem *item);
    void on_CreateButton_clicked();
    void on_DeleteButton_clicked();
    void on_AddEventButton_clicked();
    void on_ReduceEventButton_clicked();
    void on_EditEventButton_clicked();
    void on_StartRecordButton_clicked();
    void on_AddCertainButton_clicked();
    void on_ChangeOrInsertKeyRadioButton_clicked();
    void on_ChangeOrInsertDelayTimeRadioButton_clicked();
    void on_ChangeOrInsetAMousePositionRadioButton_clicked();
    void on_RepeatTimesSpinBox_valueChanged(int value);
    void on_IgnoreEventWaiteTimeCheckBox_clicked();
    void on_PlayWhenItPressed_RadioButton_clicked();
    void on_LoopCount_RadioButton_clicked();
    void on_PlayUntilPressAgain_RadioButton_clicked();
    void on_MacroNameListWidget_itemPressed(QListWidgetItem *item);
    void on_MacroNameListWidget_activated(const QModelIndex &index);
    void on_MacroTitleComboBox_currentTextChanged(const QString &text);
    void on_EventListWidget_currentRowChanged(int currentRow);
    void on_LeftMouseButton_pressed();
    void on_LeftMouseButton_released();
    void on_MidMouseButton_pressed();
    void on_MidMouseButton_released();
    void on_RightMouseButton_pressed();
    void on_RightMouseButton_released();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;

private:
    void buildLibraryCard(QFrame *card);
    void buildEventCard(QFrame *card);
    void buildSettingsCard(QFrame *card);

    void EditArrayEditable(bool editable);
    void checkIsTwoNormalTime();
    void updateMacroFile();
    void deleteListWidgetAllItem(QListWidget *list);
    void setEditKeyAddDelayTimeState(bool addKey, bool addDelayTime);
    void setMacroNameInFile(const QString &name, const QString &path);
    void setMacroRepeateTimesInFile(int times);
    void setMacroKeyInFile(const QList<MacroNode> &nodes, const QString &path);
    void setMacroTypeInFile(int type);
    void setMacroLength(int length);
    void setRightMouseButtonShowOrHide(bool show);
    void loadNameList(const QString &folder);
    void loadEventList(const QString &path);
    void showEvents(const QList<MacroNode> &nodes); // the event list of these steps
    void addEventListTimeItem(int time, int row = -1);
    void addEventListTextItem(const MacroNode &node, int row = -1);
    void addEventListPositionItem(const MacroNode &node, int row = -1);
    void createMouseButtonPressNode(int button);
    void createMouseButtonRelaseNode(int button);
    void insertAMouseButtonNode(int button);
    MacroNode createKeyButtonNode(int keyCode, int state, int time) const;

    // The Windows virtual key of a key event, 0 for one that is not recorded (auto-repeat, no
    // code, VK_CLEAR).
    int recordedKey(const QKeyEvent *event) const;
    // Records a press of code (a key or mouse button): the first-event rule, the delay row,
    // the length check and the row.
    void recordPress(int code);
    void recordRelease(int code, bool checkLength);
    // Adds a step of length bytes to the running length; false (and the recording stopped,
    // warning 27) when that goes over the limit.
    bool MacroNodeIsTooLong(int length);
    qint64 restartClock();
    void captureKey(int code);
    void selectMacroItem(QListWidgetItem *item);
    void refreshControls();
    void usageEvent(const QString &action, const QString &label = {});
    static QString keyText(int code);
    int selectedPlayMode() const;
    QListWidgetItem *newRow(const QString &iconPath, const QString &text, const QVariantMap &map, int row);

    DeviceSession *m_session;
    bool m_recording = false;
    bool m_firstEvent = false;
    bool m_editing = false;
    bool m_changeMode = false;
    bool m_loading = false;
    int m_macroLength = 0;
    qint64 m_clock = 0;
    QList<MacroNode> m_pendingNodes;
    QString m_currentPath;

    QComboBox *m_titleCombo = nullptr;
    QListWidget *m_nameList = nullptr;
    QPushButton *m_createButton = nullptr;
    QPushButton *m_deleteButton = nullptr;
    QListWidget *m_eventList = nullptr;
    QPushButton *m_addEventButton = nullptr;
    QPushButton *m_reduceEventButton = nullptr;
    QPushButton *m_editEventButton = nullptr;
    QPushButton *m_recordButton = nullptr;
    QRadioButton *m_loopRadio = nullptr;
    QRadioButton *m_untilRadio = nullptr;
    QRadioButton *m_whileRadio = nullptr;
    QSpinBox *m_repeatSpin = nullptr;
    QCheckBox *m_ignoreDelay = nullptr;
    QWidget *m_playBox = nullptr;
    QWidget *m_mouseBox = nullptr;
    QPushButton *m_leftButton = nullptr;
    QPushButton *m_midButton = nullptr;
    QPushButton *m_rightButton = nullptr;
    QFrame *m_editPanel = nullptr;
    QRadioButton *m_keyRadio = nullptr;
    QRadioButton *m_delayRadio = nullptr;
    QRadioButton *m_positionRadio = nullptr;
    QLineEdit *m_lineEdit = nullptr;
    QIntValidator *m_delayValidator = nullptr;
    QSpinBox *m_xSpin = nullptr;
    QSpinBox *m_ySpin = nullptr;
    QPushButton *m_certainButton = nullptr;
};
