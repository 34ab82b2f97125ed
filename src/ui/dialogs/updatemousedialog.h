#pragma once
// The firmware update dialog: one tile per model with its firmware version, the attached
// model's tile selected (the others greyed unless the user may choose the model, as in a repair
// of a mouse that only shows its boot loader), and the update button. The models the program
// flashes itself get the image of the update folder (downloaded or shipped); the others are
// updated by the maker's Windows updater, which this dialog names plainly where it cannot run.
// After a started update the dialog closes itself after a 20-second countdown.

#include "net/update/updatefolder.h"

#include <QDialog>
#include <QList>
#include <QTimer>

class QLabel;
class QPushButton;

class UpdateMouseDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kCloseAfterSeconds = 20;

    // isChangeable: the user may pick another model; isLocalUpdateState: the release shipped
    // with the program ("Local/") instead of the downloaded one ("Clouds/").
    UpdateMouseDialog(bool isChangeable, bool isLocalUpdateState, QWidget *parent = nullptr);

    void setCurrentMouseType(int mouseType);
    int selectedMouseType() const;
    QList<int> tileModels() const { return m_models; }
    bool tileEnabled(int mouseType) const;
    QString countdownText() const;
    // The image file the update will use for a model.
    QString imageFile(int mouseType) const;

Q_SIGNALS:
    void sig_ShowWarningDialog(int type);
    void sig_ShowWarningDialogWithMessage(int type, QString message);
    void sig_UpdateFirmwareKelvo(QString imagePath, QString modelName);
    void sig_SendUIEventMessageToGA(QString category, QString action, QString label, QString viewScreen);

public Q_SLOTS:
    void on_MoustToLeftButton_clicked();
    void on_MoustToRightButton_clicked();
    void on_updateFirmwareButton_clicked();
    void slot_OtherMouseBeGray();
    void on_closeButton_clicked();
    void slot_shortTimeOut();
    void slot_longTimeOut();
    void slot_UpdateFirmware();
    void slot_UpdateButtonEnable();
    void slot_runUpdateExe();
    // The Osprey-family path, after the user confirmed it: the maker's updater program.
    void slot_runMakersUpdater();

private:
    // Where the dialog takes the release from: the shipped one or the downloaded one.
    UpdateFolder::Source source() const { return m_local ? UpdateFolder::Source::Local : UpdateFolder::Source::Clouds; }
    void select(int index);

    bool m_changeable;
    bool m_local;
    QList<int> m_models;
    QList<QPushButton *> m_tiles;
    int m_selected = 0;
    QPushButton *m_update = nullptr;
    QLabel *m_countdown = nullptr;
    QTimer m_tick;
    QTimer m_close;
    int m_secondsLeft = kCloseAfterSeconds;
};
