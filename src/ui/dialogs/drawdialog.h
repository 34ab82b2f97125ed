#pragma once
// The OLED picture editor of the models with a screen: draw the 64 x 48 picture of a stored
// configuration with a pen, place one line of text, take a BMP as background, choose a black or
// white ground, and save it; or switch what the screen shows and set its brightness.
//
// OK stores the picture through the session (DeviceSession::storePicture) and sends it to the
// mouse (writePicture); an empty canvas sends "0", which puts the mouse's factory picture back.
// The display buttons and the brightness slider are requests of the session as well. The
// signals below report each of these to the main window after the request went out; they are
// not to be forwarded to the device again.

#include <QDialog>
#include <QFont>
#include <QString>

#include <functional>

class DeviceSession;
class DrawBorderWidget;
class QCheckBox;
class QFontComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;
class QWidget;

class DrawDialog : public QDialog
{
    Q_OBJECT
public:
    explicit DrawDialog(DeviceSession *session, QWidget *parent = nullptr);

    // The configuration the picture belongs to, "1" to "5" (taken from the session's state when
    // it knows one, else "1").
    void setConfigNumber(const QString &configNumber);
    QString configNumber() const { return m_configNumber; }
    DrawBorderWidget *canvas() const { return m_canvas; }

    // Picks the background picture file; the file dialog unless replaced (tests).
    using FileChooser = std::function<QString(QWidget *parent, const QString &caption)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

Q_SIGNALS:
    // The picture of that configuration was saved and sent; "0": nothing was saved (the factory
    // picture was asked for).
    void sig_SetImageOnMouse(QString configNumber);
    // 1 the screen shows the DPI value, 2 the APM value, 3 the screen is off.
    void sig_OLEDScreenParameter(int behaviour);
    void sig_OLEDScreenLightIntensity(int intensity);
    void sig_SendEventMessageToGA(QString category, QString action, QString Label, QString viewScreen);

public Q_SLOTS:
    void slot_loadImage();
    void on_closeButton_clicked();
    void on_DrawCancleButton_clicked();
    void on_DrawOkButton_clicked();
    void on_Brush_Button_clicked();
    void on_Recall_Button_clicked();
    void on_TextEditButton_clicked();
    void on_ChangeBackground_CheckBox_stateChanged(int arg1);
    void on_fontComboBox_currentFontChanged(const QFont &f);
    void on_spinBox_valueChanged(int arg1);
    void on_AddPictureButton_clicked();
    void brushButtonSelected(bool brushButtonClick);
    void textEditButtonSelected(bool textEditButtonClick);
    void initText();
    void on_Erase_Button_clicked();
    void on_ShowCpiValueButton_clicked();
    void on_ShowApmButton_clicked();
    void on_CloseOLEDScreenButton_clicked();

private:
    void report(const QString &action);
    void screenBehaviour(int behaviour, const QString &action);
    QPushButton *toolButton(const char *name, const QString &icon);

    DeviceSession *m_session;
    QString m_configNumber = QStringLiteral("1");
    DrawBorderWidget *m_canvas;
    FileChooser m_chooseFile;

    QLabel *m_title;
    QPushButton *m_close;
    QPushButton *m_brush;
    QPushButton *m_textTool;
    QPushButton *m_recall;
    QPushButton *m_erase;
    QPushButton *m_addPicture;
    QWidget *m_penPanel;
    QLabel *m_penHint;
    QLabel *m_textHint;
    QLabel *m_fontLabel;
    QFontComboBox *m_fontBox;
    QLabel *m_sizeLabel;
    QSpinBox *m_sizeBox;
    QCheckBox *m_background;
    QLabel *m_brightnessLabel;
    QSlider *m_brightness;
    QLabel *m_brightnessValue;
    QLabel *m_screenLabel;
    QPushButton *m_showCpi;
    QPushButton *m_showApm;
    QPushButton *m_screenOff;
    QLabel *m_error;
    QPushButton *m_cancel;
    QPushButton *m_ok;
};
