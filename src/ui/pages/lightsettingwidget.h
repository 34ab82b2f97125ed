#pragma once
// The lighting page: light zone, light effect, breathing speed, steady-light brightness and
// colour (25 presets, the colour wheel, three RGB sliders) of the open mouse.
//
// The page keeps a copy of the mouse's 30-byte light record and edits one zone at a time (the
// wheel or the logo; single-zone models only have the logo). Every change updates the copy and
// goes to the mouse at once, one request per setting, through the device session. The copy
// follows the session's state: a new mouse (or model) loads it afresh, and once the page's own
// requests have all come back, a record that differs from the copy (a refused change, a
// configuration loaded elsewhere) replaces it.
//
// The Wren series couples its zones through colour intrigue (mode 5): it is set or cleared on
// both zones together, and leaving it through an effect of one zone takes the other zone along.

#include "common/qktypes.h"
#include "session/devicesession.h"

#include <QColor>
#include <QSet>
#include <QWidget>

class ColorWheel;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;

namespace Catalog {
struct Model;
}

class LightSettingWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kPresetCount = 25;
    static constexpr int kBrightnessMax = 9;

    explicit LightSettingWidget(DeviceSession *session, QWidget *parent = nullptr);

    // The colour of preset button 1..25; an invalid colour for any other number.
    static QColor getButtonColor(int button);

    // Breathing-speed range by model group: 0 gives speeds 0..9, 1 gives 0..4; any other group
    // leaves the breathing slider as it is. The brightness slider is set to 0..9 in every case.
    // The page calls it itself whenever the model changes.
    void setBreathSpeedRange(int modelGroup);

    // The light record as the page holds it, and the zone it edits (true: the wheel).
    const LightColorParam &lightParameter() const { return m_param; }
    bool wheelZoneSelected() const { return m_wheel; }

    // The mode the effect controls show for a zone whose mode is wheelMode: 5 on a Wren-series
    // mouse whose logo zone is in colour intrigue, else wheelMode.
    int ifWrenLogoModeIsColorIntrigue(int wheelMode) const;

Q_SIGNALS:
    void sig_SendEventMessageToGA(QString category, QString action, QString Label, QString viewScreen);

public Q_SLOTS:
    // The mouse's light record: stored whole; the wheel zone is selected (the logo zone on a
    // single-zone model) and loaded into the controls.
    void slot_SetLightParameter(const LightColorParam &param);

    // Effects (0 off, 1 steady, 2 breathing, 3 APM breathing, 4 spectrum cycle, 5 colour intrigue).
    void setLightMode(int mode);
    void switchLightMode(int lightMode);
    void setTurnOnOrOffColorIntrigue(int mode);
    void setLightModeDetail(bool isWheel, int value);
    // On a Wren-series mouse in colour intrigue: sends mode to the zone other than isWheel and
    // stores it there; true when it did.
    bool ifWrenSeriesChangeLightMode(bool isWheel, int mode);
    void on_ColorIntrigueCheckBox_2_clicked();
    void on_CloseLightModeRadioButton_clicked();
    void on_ContinueLightModeRadioButton_clicked();
    void on_BrethModeRaioButton_clicked();
    void on_ApmBreathModeRaidoButton_clicked();
    void on_LightCirleRaioButton_clicked();

    // Speed and brightness.
    void slot_BreathSliderChange(int value);
    void setBreathSpeed(int value);
    void slot_ContinueLightSliderChange(int value);
    void changeMouseLightDegree(bool isWheel, int value);

    // Colour.
    void slot_GetWheelColor(int red, int green, int blue);
    void setSpecificColorOnMouse(int red, int green, int blue);
    void setSpecialColorOnButton(int red, int green, int blue);
    void setMouseColorParameter(int red, int green, int blue);
    void setShowColorButton(int &redValue, int &greenValue, int &blueValue);
    void on_Red_Slider_valueChanged(int value);
    void on_Green_Slider_valueChanged(int value);
    void on_Blue_Slider_valueChanged(int value);
    void on_Red_Slider_sliderReleased();
    void on_Green_Slider_sliderReleased();
    void on_Blue_Slider_sliderReleased();

    // Zones.
    void on_WheelLightButton_clicked();
    void on_LogoLightButton_clicked();
    void isWheelLightChange(bool isWheel);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildUi();
    QWidget *buildEffectCard();
    QWidget *buildColorCard();
    void retranslate();

    LightZone &zone(bool isWheel) { return isWheel ? m_param.wheel : m_param.logo; }
    const Catalog::Model *model() const;
    bool isWrenSeries() const;
    bool isSingleZone() const;
    void applyModel();
    void loadParameter(const LightColorParam &param, bool keepZone);
    void loadZone();
    void selectZone(bool isWheel);
    void showBreathAndBrightness();
    void sendMode(bool isWheel, int mode);
    void track(DeviceSession::RequestId id);
    void followState();
    void onRequestFinished(quint64 id);
    void colorSliderMoved(QSlider *slider, QLabel *label, int value);
    void applyColorSliders();
    void report(const QString &action, const QString &label, bool zoneSpecific = true);

    DeviceSession *m_session;
    LightColorParam m_param;
    bool m_wheel = true;      // the zone edited: true wheel, false logo
    int m_breathMax = 4;      // the breathing slider's maximum: 4 or 9
    int m_modelCode = -1;     // the model the controls were set up for; -1 none yet
    bool m_loading = false;   // the controls are being set from the record: send nothing
    QSet<quint64> m_pending;  // requests of this page not yet finished

    QLabel *m_zoneCaption = nullptr;
    QPushButton *m_wheelButton = nullptr;
    QPushButton *m_logoButton = nullptr;
    QButtonGroup *m_zoneGroup = nullptr;
    QLabel *m_effectTitle = nullptr;
    QButtonGroup *m_modeGroup = nullptr;
    QRadioButton *m_modeButtons[5] = {};
    QCheckBox *m_colorIntrigue = nullptr;
    QLabel *m_breathCaption = nullptr;
    QLabel *m_slowLabel = nullptr;
    QLabel *m_fastLabel = nullptr;
    QSlider *m_breathSlider = nullptr;
    QLabel *m_brightnessCaption = nullptr;
    QLabel *m_lowLabel = nullptr;
    QLabel *m_highLabel = nullptr;
    QSlider *m_brightnessSlider = nullptr;
    QLabel *m_colorTitle = nullptr;
    QLabel *m_customCaption = nullptr;
    ColorWheel *m_colorWheel = nullptr;
    QLabel *m_currentCaption = nullptr;
    QPushButton *m_showColorButton = nullptr;
    QSlider *m_rgbSliders[3] = {};
    QLabel *m_rgbNames[3] = {};
    QLabel *m_rgbValues[3] = {};
    QLabel *m_presetCaption = nullptr;
    QAbstractButton *m_presetButtons[kPresetCount] = {};
};
