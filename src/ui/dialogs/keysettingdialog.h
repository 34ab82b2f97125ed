#pragma once
// The button dialog: what one mouse button does. Four pages (a key with modifiers, a macro, a
// basic function, an advanced function on this computer), plus disabling the button and giving
// it back its factory function. The choice is sent through the session (setButton, writeMacro,
// writeMacroList) when the user confirms; the signals below tell the main window what was sent
// (they are notices, not requests), ask it for a warning, and carry the usage events.

#include "session/devicesession.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QStackedWidget;
class KeyCaptureEdit;

class KeySettingDialog : public QDialog
{
    Q_OBJECT
public:
    // button: the id being edited; changeType, trueValue, modifyKey: its current assignment as the
    // page's button holds it (all -1 while it holds its factory function).
    KeySettingDialog(DeviceSession *session, int button, int changeType, int trueValue, int modifyKey,
                     QWidget *parent = nullptr);

    int button() const { return m_button; }
    int page() const;
    int capturedKey() const { return m_key; }
    int macroListLimit() const { return m_macroLimit; }
    // The macro files checked for button 4, in the order they were checked.
    QStringList checkedMacros() const { return m_checkedOrder; }

Q_SIGNALS:
    void sig_ButtonChangeToKey(int button, uint pysicalButton, uint changedModifyKey, int changeType);
    void sig_WriteSingleMacro(int button, QString path);
    void sig_WriteListMacro(QStringList macroList);
    void sig_SetFirstOneUnchecked();
    void sig_ShowWarningDialog(int warningType);
    void sig_SendEventMessageToGA(QString category, QString action, QString Label, QString viewScreen);

public Q_SLOTS:
    void setPage(int page);
    void on_ConbinationKeyButton_clicked();
    void on_MarcoEditButton_clicked();
    void on_BasicFunctionButton_clicked();
    void on_HighestFunctionButton_clicked();
    void on_OKButton_clicked();
    void on_BackToDefalutButton_clicked();
    void on_CloseBattaryButton_clicked();

    void loadMacroTitleListWidget();
    void addMacroTitleWidgetItem(const QString &title);
    void addMacroListWigetItem(const DeviceSession::MacroFile &file);
    void deleteListWidgetAllItem();
    void on_MacroTitleListWidget_itemClicked(QListWidgetItem *item);
    void on_MacroNameListWidget_itemClicked(QListWidgetItem *item);
    void slot_SetMacroListWidgetItemSelected(int row);
    void slot_CheckIsOutOfMacroCheckRange();
    int countMacroCheckedNumber() const;
    QString getMacroSinglePath() const;
    QStringList getMacroListPath() const;
    void removeFirstSelectedStaeInFormList();

    int countModifyValue() const;
    void setCheckBoxCheckState(QCheckBox *box);

    void setKeyToBasicFunction();
    void setKeyToHighestFunction();
    void setHighFunctionWidgetUnable(QCheckBox *chosen);
    void on_PlayMusicCheckBox_clicked();
    void on_PlayMusicButton_clicked();
    void on_StartProgramCheckBox_clicked();
    void on_StartProgramButton_clicked();
    void on_OpenFileCheckBox_clicked();
    void on_OpenFileButton_clicked();
    void on_OpenDirectoryCheckBox_clicked();
    void on_OpenDirectoryButton_clicked();

private:
    void buildKeyPage(QWidget *page);
    void buildMacroPage(QWidget *page);
    void buildBasicPage(QWidget *page);
    void buildAdvancedPage(QWidget *page);
    void fillBasicList();
    void showTrueValue(int changeType, int trueValue, int modifyKey);
    void keyCaptured(int qtKey, int virtualKey, bool autoRepeat);
    void macroItemChanged(QListWidgetItem *item);
    void changeButton(uint value, int modifier, int changeType);
    void usageEvent(const QString &label);
    // Which advanced check box is checked with a path (the first in order), or -1.
    int advancedChoice() const;
    bool macroRefused(const QString &path) const;

    DeviceSession *m_session;
    int m_button;
    int m_mouseType = 0;
    int m_key = 0;
    int m_macroLimit = 4;
    QStringList m_checkedOrder;
    QString m_selectedMacro;
    QList<QPair<QString, QList<DeviceSession::MacroFile>>> m_library;
    QString m_currentTitle;

    QList<QPushButton *> m_pageButtons;
    QStackedWidget *m_pages = nullptr;
    QLabel *m_status = nullptr;
    QCheckBox *m_disable = nullptr;
    KeyCaptureEdit *m_keyEdit = nullptr;
    QCheckBox *m_ctrl = nullptr;
    QCheckBox *m_shift = nullptr;
    QCheckBox *m_alt = nullptr;
    QCheckBox *m_win = nullptr;
    QListWidget *m_titles = nullptr;
    QListWidget *m_macros = nullptr;
    QLabel *m_macroHint = nullptr;
    QListWidget *m_basic = nullptr;
    QList<QCheckBox *> m_advancedBoxes;
    QList<QLineEdit *> m_advancedPaths;
};
