#include "ui/pages/lightsettingwidget.h"

#include "catalog/modelcatalog.h"
#include "common/texttable.h"
#include "ui/theme/palette.h"
#include "ui/widgets/card.h"
#include "ui/widgets/colorwheel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDebug>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace {

// Captions (text table numbers, docs/texts.md).
enum Text {
    kZoneText = 464,
    kWheelLightText,
    kLogoLightText,
    kEffectTitleText,
    kOffText,
    kSteadyText,
    kBreathingText,
    kApmBreathingText,
    kSpectrumText,
    kColorIntrigueText,
    kColorTitleText,
    kCurrentColorText,
    kPresetColorsText,
    kCustomColorText,
    kBreathSpeedText,
    kBrightnessText,
    kSlowText,
    kFastText,
    kLowText,
    kHighText,
    kRedText,
    kGreenText,
    kBlueText,
    kColorWheelText,
    kPresetButtonText,
};

enum Mode { kOff = 0, kSteady = 1, kBreathing = 2, kApmBreathing = 3, kSpectrum = 4, kColorIntrigue = 5 };

constexpr int kPresets[LightSettingWidget::kPresetCount][3] = {
    {255, 69, 110}, {255, 94, 67},  {255, 150, 67}, {206, 255, 66}, {154, 255, 67},
    {67, 255, 66},  {75, 159, 96},  {68, 210, 188}, {69, 198, 233}, {67, 149, 255},
    {69, 119, 255}, {66, 103, 255}, {102, 65, 255}, {127, 74, 223}, {149, 74, 221},
    {216, 74, 221}, {186, 255, 108}, {63, 177, 87}, {255, 116, 118}, {186, 105, 80},
    {216, 71, 64},  {75, 116, 166}, {63, 177, 87},  {101, 100, 181}, {135, 101, 239},
};
constexpr int kPresetsPerRow = 13;
constexpr int kPresetSide = 28;

const char *const kModeObjects[5] = {"CloseLightModeRadioButton", "ContinueLightModeRadioButton",
                                     "BrethModeRaioButton", "ApmBreathModeRaidoButton",
                                     "LightCirleRaioButton"};
const char *const kModeLabels[6] = {"Off", "Steady", "Breathing", "ApmBreathing", "SpectrumCycle",
                                    "ColorIntrigue"};
const char *const kRgbObjects[3] = {"Red_Slider", "Green_Slider", "Blue_Slider"};
const char *const kRgbValueObjects[3] = {"Red_Label", "Green_Label", "Blue_Label"};

const QString kCategory = QStringLiteral("Light");

QString rgbText(int red, int green, int blue)
{
    return QStringLiteral("%1,%2,%3").arg(red).arg(green).arg(blue);
}

QLabel *roleLabel(const char *role, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setProperty("role", QLatin1String(role));
    return label;
}

QSlider *makeSlider(const char *name, QWidget *parent)
{
    auto *slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QLatin1String(name));
    slider->setFocusPolicy(Qt::StrongFocus);
    slider->setPageStep(1);
    return slider;
}

// A preset colour: a rounded square of its colour, framed, with the accent ring when it has
// the keyboard focus.
class PresetButton : public QAbstractButton
{
public:
    PresetButton(const QColor &color, QWidget *parent)
        : QAbstractButton(parent)
        , m_color(color)
    {
        setFocusPolicy(Qt::StrongFocus);
        setFixedSize(kPresetSide, kPresetSide);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const bool ring = hasFocus() || underMouse();
        const qreal pen = ring ? 2 : 1;
        const QColor edge = hasFocus() ? Palette::accent() : underMouse() ? Palette::text() : Palette::border();
        p.setPen(QPen(edge, pen));
        p.setBrush(isEnabled() ? m_color : Palette::disabledText());
        const qreal inset = pen / 2;
        p.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), 6, 6);
    }
    void enterEvent(QEvent *event) override { QAbstractButton::enterEvent(event); update(); }
    void leaveEvent(QEvent *event) override { QAbstractButton::leaveEvent(event); update(); }

private:
    QColor m_color;
};

} // namespace

LightSettingWidget::LightSettingWidget(DeviceSession *session, QWidget *parent)
    : QWidget(parent)
    , m_session(session)
{
    setObjectName(QStringLiteral("LightSettingWidget"));
    buildUi();
    retranslate();
    setBreathSpeedRange(1);

    connect(m_session->stateObject(), &DeviceState::changed, this, &LightSettingWidget::followState);
    connect(m_session, &DeviceSession::requestFinished, this,
            [this](quint64 id, const RequestOutcome &) { onRequestFinished(id); });
    followState();
}

// ---- building ------------------------------------------------------------------------------

void LightSettingWidget::buildUi()
{
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(16, 16, 16, 16);
    page->setSpacing(16);

    auto *zones = new QHBoxLayout;
    zones->setSpacing(8);
    m_zoneCaption = roleLabel("secondary", this);
    m_wheelButton = new QPushButton(this);
    m_wheelButton->setObjectName(QStringLiteral("WheelLightButton"));
    m_logoButton = new QPushButton(this);
    m_logoButton->setObjectName(QStringLiteral("LogoLightButton"));
    m_zoneGroup = new QButtonGroup(this);
    for (QPushButton *b : {m_wheelButton, m_logoButton}) {
        b->setCheckable(true);
        b->setMinimumWidth(112);
        m_zoneGroup->addButton(b);
    }
    connect(m_wheelButton, &QPushButton::clicked, this, &LightSettingWidget::on_WheelLightButton_clicked);
    connect(m_logoButton, &QPushButton::clicked, this, &LightSettingWidget::on_LogoLightButton_clicked);
    zones->addWidget(m_zoneCaption);
    zones->addWidget(m_wheelButton);
    zones->addWidget(m_logoButton);
    zones->addStretch(1);
    page->addLayout(zones);

    auto *cards = new QHBoxLayout;
    cards->setSpacing(16);
    cards->addWidget(buildEffectCard());
    cards->addWidget(buildColorCard(), 1);
    page->addLayout(cards, 1);

    setTabOrder(m_wheelButton, m_logoButton);
    setTabOrder(m_logoButton, m_modeButtons[0]);
    for (int i = 1; i < 5; ++i)
        setTabOrder(m_modeButtons[i - 1], m_modeButtons[i]);
    setTabOrder(m_modeButtons[4], m_colorIntrigue);
    setTabOrder(m_colorIntrigue, m_breathSlider);
    setTabOrder(m_breathSlider, m_brightnessSlider);
    setTabOrder(m_brightnessSlider, m_rgbSliders[0]);
    setTabOrder(m_rgbSliders[0], m_rgbSliders[1]);
    setTabOrder(m_rgbSliders[1], m_rgbSliders[2]);
    setTabOrder(m_rgbSliders[2], m_presetButtons[0]);
    for (int i = 1; i < kPresetCount; ++i)
        setTabOrder(m_presetButtons[i - 1], m_presetButtons[i]);
}

QWidget *LightSettingWidget::buildEffectCard()
{
    QVBoxLayout *box = nullptr;
    QFrame *card = Card::create(QString(), this, &box, &m_effectTitle); // worded in retranslate()
    card->setObjectName(QStringLiteral("EffectCard"));
    card->setFixedWidth(280);

    m_modeGroup = new QButtonGroup(this);
    for (int mode = kOff; mode <= kSpectrum; ++mode) {
        auto *radio = new QRadioButton(card);
        radio->setObjectName(QLatin1String(kModeObjects[mode]));
        m_modeGroup->addButton(radio, mode);
        m_modeButtons[mode] = radio;
        box->addWidget(radio);
    }
    connect(m_modeButtons[kOff], &QRadioButton::clicked, this, &LightSettingWidget::on_CloseLightModeRadioButton_clicked);
    connect(m_modeButtons[kSteady], &QRadioButton::clicked, this, &LightSettingWidget::on_ContinueLightModeRadioButton_clicked);
    connect(m_modeButtons[kBreathing], &QRadioButton::clicked, this, &LightSettingWidget::on_BrethModeRaioButton_clicked);
    connect(m_modeButtons[kApmBreathing], &QRadioButton::clicked, this, &LightSettingWidget::on_ApmBreathModeRaidoButton_clicked);
    connect(m_modeButtons[kSpectrum], &QRadioButton::clicked, this, &LightSettingWidget::on_LightCirleRaioButton_clicked);

    m_colorIntrigue = new QCheckBox(card);
    m_colorIntrigue->setObjectName(QStringLiteral("ColorIntrigueCheckBox_2"));
    connect(m_colorIntrigue, &QCheckBox::clicked, this, &LightSettingWidget::on_ColorIntrigueCheckBox_2_clicked);
    box->addWidget(m_colorIntrigue);
    box->addSpacing(16);

    // Both sliders on one grid, so that their grooves line up whatever the end labels' widths.
    auto *sliders = new QGridLayout;
    sliders->setHorizontalSpacing(8);
    sliders->setVerticalSpacing(8);
    auto sliderRow = [&](int row, QLabel *&caption, QLabel *&low, QSlider *slider, QLabel *&high) {
        caption = roleLabel("secondary", card);
        low = roleLabel("scale", card);
        high = roleLabel("scale", card);
        caption->setBuddy(slider);
        sliders->addWidget(caption, row, 0, 1, 3);
        sliders->addWidget(low, row + 1, 0);
        sliders->addWidget(slider, row + 1, 1);
        sliders->addWidget(high, row + 1, 2);
    };
    m_breathSlider = makeSlider("BreathSlider", card);
    sliderRow(0, m_breathCaption, m_slowLabel, m_breathSlider, m_fastLabel);
    sliders->setRowMinimumHeight(2, 8);
    m_brightnessSlider = makeSlider("ContinueLightSlider", card);
    sliderRow(3, m_brightnessCaption, m_lowLabel, m_brightnessSlider, m_highLabel);
    sliders->setColumnStretch(1, 1);
    box->addLayout(sliders);
    box->addStretch(1);

    connect(m_breathSlider, &QSlider::valueChanged, this, [this](int v) {
        if (!m_loading)
            slot_BreathSliderChange(v);
    });
    connect(m_brightnessSlider, &QSlider::valueChanged, this, [this](int v) {
        if (!m_loading)
            slot_ContinueLightSliderChange(v);
    });
    return card;
}

QWidget *LightSettingWidget::buildColorCard()
{
    QVBoxLayout *box = nullptr;
    QFrame *card = Card::create(QString(), this, &box, &m_colorTitle); // worded in retranslate()
    card->setObjectName(QStringLiteral("ColorCard"));
    m_colorTitle->setWordWrap(true);

    auto *custom = new QHBoxLayout;
    custom->setSpacing(24);
    m_colorWheel = new ColorWheel(card);
    connect(m_colorWheel, &ColorWheel::sigColor, this, &LightSettingWidget::slot_GetWheelColor);
    custom->addWidget(m_colorWheel, 0, Qt::AlignTop);

    auto *right = new QVBoxLayout;
    right->setSpacing(8);
    m_customCaption = roleLabel("secondary", card);
    right->addWidget(m_customCaption);
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    using ValueSlot = void (LightSettingWidget::*)(int);
    using ReleaseSlot = void (LightSettingWidget::*)();
    const ValueSlot moved[3] = {&LightSettingWidget::on_Red_Slider_valueChanged,
                                &LightSettingWidget::on_Green_Slider_valueChanged,
                                &LightSettingWidget::on_Blue_Slider_valueChanged};
    const ReleaseSlot released[3] = {&LightSettingWidget::on_Red_Slider_sliderReleased,
                                     &LightSettingWidget::on_Green_Slider_sliderReleased,
                                     &LightSettingWidget::on_Blue_Slider_sliderReleased};
    const QFontMetrics metrics(font());
    for (int i = 0; i < 3; ++i) {
        m_rgbNames[i] = roleLabel("secondary", card);
        m_rgbSliders[i] = makeSlider(kRgbObjects[i], card);
        m_rgbSliders[i]->setRange(0, 255);
        m_rgbSliders[i]->setPageStep(16);
        m_rgbSliders[i]->installEventFilter(this);
        m_rgbNames[i]->setBuddy(m_rgbSliders[i]);
        m_rgbValues[i] = new QLabel(QStringLiteral("0"), card);
        m_rgbValues[i]->setObjectName(QLatin1String(kRgbValueObjects[i]));
        m_rgbValues[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_rgbValues[i]->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("000")) + 4);
        connect(m_rgbSliders[i], &QSlider::valueChanged, this, moved[i]);
        connect(m_rgbSliders[i], &QSlider::sliderReleased, this, released[i]);
        grid->addWidget(m_rgbNames[i], i, 0);
        grid->addWidget(m_rgbSliders[i], i, 1);
        grid->addWidget(m_rgbValues[i], i, 2);
    }
    grid->setColumnStretch(1, 1);
    right->addLayout(grid);
    right->addSpacing(8);
    auto *current = new QHBoxLayout;
    current->setSpacing(8);
    m_currentCaption = roleLabel("secondary", card);
    m_showColorButton = new QPushButton(card);
    m_showColorButton->setObjectName(QStringLiteral("ShowColorButton"));
    m_showColorButton->setFocusPolicy(Qt::NoFocus);
    m_showColorButton->setFixedSize(96, kPresetSide);
    current->addWidget(m_currentCaption);
    current->addWidget(m_showColorButton);
    current->addStretch(1);
    right->addLayout(current);
    right->addStretch(1);
    custom->addLayout(right, 1);
    box->addLayout(custom);
    box->addSpacing(16);

    m_presetCaption = roleLabel("secondary", card);
    box->addWidget(m_presetCaption);
    auto *presets = new QGridLayout;
    presets->setSpacing(8);
    for (int i = 0; i < kPresetCount; ++i) {
        auto *b = new PresetButton(getButtonColor(i + 1), card);
        b->setObjectName(QStringLiteral("colorButton%1").arg(i + 1));
        connect(b, &QAbstractButton::clicked, this, [this, i] {
            const QColor c = getButtonColor(i + 1);
            setSpecificColorOnMouse(c.red(), c.green(), c.blue());
        });
        m_presetButtons[i] = b;
        presets->addWidget(b, i / kPresetsPerRow, i % kPresetsPerRow);
    }
    presets->setColumnStretch(kPresetsPerRow, 1);
    box->addLayout(presets);
    box->addStretch(1);
    return card;
}

void LightSettingWidget::retranslate()
{
    using TextTable::text;
    m_zoneCaption->setText(text(kZoneText));
    m_wheelButton->setText(text(kWheelLightText));
    m_logoButton->setText(text(kLogoLightText));
    m_effectTitle->setText(text(kEffectTitleText));
    for (int mode = kOff; mode <= kSpectrum; ++mode)
        m_modeButtons[mode]->setText(text(kOffText + mode));
    m_colorIntrigue->setText(text(kColorIntrigueText));
    m_breathCaption->setText(text(kBreathSpeedText));
    m_slowLabel->setText(text(kSlowText));
    m_fastLabel->setText(text(kFastText));
    m_breathSlider->setAccessibleName(text(kBreathSpeedText));
    m_brightnessCaption->setText(text(kBrightnessText));
    m_lowLabel->setText(text(kLowText));
    m_highLabel->setText(text(kHighText));
    m_brightnessSlider->setAccessibleName(text(kBrightnessText));
    m_colorTitle->setText(text(kColorTitleText));
    m_customCaption->setText(text(kCustomColorText));
    m_colorWheel->setAccessibleName(text(kColorWheelText));
    m_colorWheel->setToolTip(text(kColorWheelText));
    for (int i = 0; i < 3; ++i) {
        m_rgbNames[i]->setText(text(kRedText + i));
        m_rgbSliders[i]->setAccessibleName(text(kRedText + i));
    }
    m_currentCaption->setText(text(kCurrentColorText));
    m_showColorButton->setAccessibleName(text(kCurrentColorText));
    m_presetCaption->setText(text(kPresetColorsText));
    for (int i = 0; i < kPresetCount; ++i) {
        const QString name = text(kPresetButtonText).arg(i + 1);
        m_presetButtons[i]->setAccessibleName(name);
        m_presetButtons[i]->setToolTip(
            QStringLiteral("%1 (%2)").arg(name, rgbText(kPresets[i][0], kPresets[i][1], kPresets[i][2])));
    }
}

// ---- model and state -----------------------------------------------------------------------

QColor LightSettingWidget::getButtonColor(int button)
{
    if (button < 1 || button > kPresetCount)
        return {};
    const int *c = kPresets[button - 1];
    return QColor(c[0], c[1], c[2]);
}

const Catalog::Model *LightSettingWidget::model() const
{
    return m_session->state().model();
}

bool LightSettingWidget::isWrenSeries() const
{
    const Catalog::Model *m = model();
    return m && m->lightZones == Catalog::LightZones::TwoCoupled;
}

bool LightSettingWidget::isSingleZone() const
{
    const Catalog::Model *m = model();
    return m && m->lightZones == Catalog::LightZones::One;
}

void LightSettingWidget::setBreathSpeedRange(int modelGroup)
{
    const QSignalBlocker quietBrightness(m_brightnessSlider);
    m_brightnessSlider->setRange(0, kBrightnessMax);
    if (modelGroup != 0 && modelGroup != 1)
        return;
    m_breathMax = modelGroup == 0 ? 9 : 4;
    const QSignalBlocker quietBreath(m_breathSlider);
    m_breathSlider->setRange(0, m_breathMax);
}

void LightSettingWidget::applyModel()
{
    const Catalog::Model *m = model();
    if (m)
        setBreathSpeedRange(m->breathingSpeedMax == 9 ? 0 : 1);
    m_colorIntrigue->setVisible(isWrenSeries());
}

void LightSettingWidget::followState()
{
    const DeviceState &state = m_session->state();
    const bool usable = state.isOpen() && state.light().has_value();
    setEnabled(usable);
    if (!usable) {
        m_modelCode = -1;
        return;
    }
    if (state.modelCode() != m_modelCode) {
        m_modelCode = state.modelCode();
        applyModel();
        slot_SetLightParameter(*state.light());
        return;
    }
    // The mouse's record replaces the copy only when none of the page's own changes is still
    // on its way, so a change in flight is never undone on the screen.
    if (m_pending.isEmpty() && *state.light() != m_param)
        loadParameter(*state.light(), true);
}

void LightSettingWidget::track(DeviceSession::RequestId id)
{
    m_pending.insert(id);
}

void LightSettingWidget::onRequestFinished(quint64 id)
{
    if (m_pending.remove(id) && m_pending.isEmpty())
        followState();
}

// ---- loading the record into the controls --------------------------------------------------

void LightSettingWidget::slot_SetLightParameter(const LightColorParam &param)
{
    loadParameter(param, false);
}

void LightSettingWidget::loadParameter(const LightColorParam &param, bool keepZone)
{
    m_param = param;
    const bool single = isSingleZone();
    m_zoneCaption->setVisible(!single);
    m_wheelButton->setVisible(!single);
    m_logoButton->setVisible(!single);
    if (single)
        selectZone(false);
    else
        selectZone(keepZone ? m_wheel : true);
}

void LightSettingWidget::selectZone(bool isWheel)
{
    isWheelLightChange(isWheel);
    loadZone();
}

void LightSettingWidget::isWheelLightChange(bool isWheel)
{
    m_wheel = isWheel;
    m_wheelButton->setChecked(isWheel);
    m_logoButton->setChecked(!isWheel);
}

void LightSettingWidget::loadZone()
{
    const LightZone &z = zone(m_wheel);
    const COLORREF color = z.color(0);
    setSpecialColorOnButton(colorRefRed(color), colorRefGreen(color), colorRefBlue(color));
    switchLightMode(ifWrenLogoModeIsColorIntrigue(z.mode));
    showBreathAndBrightness();
}

void LightSettingWidget::showBreathAndBrightness()
{
    const LightZone &z = zone(m_wheel);
    m_loading = true;
    m_breathSlider->setValue(m_breathMax - z.speed);
    m_brightnessSlider->setValue(z.degree);
    m_loading = false;
}

int LightSettingWidget::ifWrenLogoModeIsColorIntrigue(int wheelMode) const
{
    return isWrenSeries() && m_param.logo.mode == kColorIntrigue ? int(kColorIntrigue) : wheelMode;
}

void LightSettingWidget::on_WheelLightButton_clicked()
{
    report(QStringLiteral("LightZone"), QStringLiteral("Wheel"), false);
    selectZone(true);
}

void LightSettingWidget::on_LogoLightButton_clicked()
{
    report(QStringLiteral("LightZone"), QStringLiteral("Logo"), false);
    selectZone(false);
}

// ---- effects -------------------------------------------------------------------------------

void LightSettingWidget::switchLightMode(int lightMode)
{
    if (lightMode == kColorIntrigue) {
        m_colorIntrigue->setChecked(true);
        // An exclusive group always keeps one button checked; let go of it to clear all five.
        m_modeGroup->setExclusive(false);
        for (QRadioButton *radio : m_modeButtons)
            radio->setChecked(false);
        m_modeGroup->setExclusive(true);
        return;
    }
    m_colorIntrigue->setChecked(false);
    if (lightMode >= kOff && lightMode <= kSpectrum) {
        m_modeButtons[lightMode]->setChecked(true);
    } else { // a code this page does not know: show no effect as chosen
        m_modeGroup->setExclusive(false);
        for (QRadioButton *radio : m_modeButtons)
            radio->setChecked(false);
        m_modeGroup->setExclusive(true);
    }
}

void LightSettingWidget::setLightMode(int mode)
{
    report(QStringLiteral("LightMode"), QLatin1String(kModeLabels[std::clamp(mode, 0, 5)]));
    qDebug() << "setLightMode value" << mode;
    ifWrenSeriesChangeLightMode(m_wheel, mode);
    setLightModeDetail(m_wheel, mode);
    if (mode >= kOff && mode <= kSpectrum)
        switchLightMode(mode); // checks its button, clears colour intrigue
    else
        m_colorIntrigue->setChecked(false);
}

bool LightSettingWidget::ifWrenSeriesChangeLightMode(bool isWheel, int mode)
{
    if (!isWrenSeries() || m_param.logo.mode != kColorIntrigue)
        return false;
    setLightModeDetail(!isWheel, mode);
    return true;
}

void LightSettingWidget::setLightModeDetail(bool isWheel, int value)
{
    sendMode(isWheel, value);
    zone(isWheel).mode = BYTE(value);
}

void LightSettingWidget::sendMode(bool isWheel, int mode)
{
    using Target = DeviceSession::LightTarget;
    track(m_session->setLightMode(isWheel ? Target::Wheel : Target::Logo, mode));
}

void LightSettingWidget::on_ColorIntrigueCheckBox_2_clicked()
{
    setTurnOnOrOffColorIntrigue(m_colorIntrigue->isChecked() ? kColorIntrigue : kSpectrum);
}

void LightSettingWidget::setTurnOnOrOffColorIntrigue(int mode)
{
    report(QStringLiteral("ColorIntrigue"), QLatin1String(kModeLabels[std::clamp(mode, 0, 5)]), false);
    sendMode(false, mode);
    sendMode(true, mode);
    m_param.logo.mode = BYTE(mode);
    m_param.wheel.mode = BYTE(mode);
    switchLightMode(mode);
}

void LightSettingWidget::on_CloseLightModeRadioButton_clicked() { setLightMode(kOff); }
void LightSettingWidget::on_ContinueLightModeRadioButton_clicked() { setLightMode(kSteady); }
void LightSettingWidget::on_BrethModeRaioButton_clicked() { setLightMode(kBreathing); }
void LightSettingWidget::on_ApmBreathModeRaidoButton_clicked() { setLightMode(kApmBreathing); }
void LightSettingWidget::on_LightCirleRaioButton_clicked() { setLightMode(kSpectrum); }

// ---- speed and brightness ------------------------------------------------------------------

void LightSettingWidget::slot_BreathSliderChange(int value)
{
    setBreathSpeed(value);
}

void LightSettingWidget::setBreathSpeed(int value)
{
    // The slider runs from slow (left) to fast (right); speed 0 is the fastest.
    const int speed = std::clamp(m_breathMax - value, 0, m_breathMax);
    zone(m_wheel).speed = BYTE(speed);
    using Target = DeviceSession::LightTarget;
    track(m_session->setBreathingSpeed(m_wheel ? Target::Wheel : Target::Logo, speed));
    qDebug() << "setBreathSpeed" << speed;
    report(QStringLiteral("BreathSpeed"), QString::number(speed));
}

void LightSettingWidget::slot_ContinueLightSliderChange(int value)
{
    changeMouseLightDegree(m_wheel, value);
}

void LightSettingWidget::changeMouseLightDegree(bool isWheel, int value)
{
    const int degree = std::clamp(value, 0, kBrightnessMax);
    zone(isWheel).degree = BYTE(degree);
    using Target = DeviceSession::LightTarget;
    track(m_session->setLightBrightness(isWheel ? Target::Wheel : Target::Logo, degree));
    report(QStringLiteral("LightDegree"), QString::number(degree));
}

// ---- colour --------------------------------------------------------------------------------

void LightSettingWidget::slot_GetWheelColor(int red, int green, int blue)
{
    setSpecificColorOnMouse(red, green, blue);
}

void LightSettingWidget::setSpecificColorOnMouse(int red, int green, int blue)
{
    setSpecialColorOnButton(red, green, blue);
    setMouseColorParameter(red, green, blue);
}

void LightSettingWidget::setSpecialColorOnButton(int red, int green, int blue)
{
    const int values[3] = {red, green, blue};
    m_loading = true;
    for (int i = 0; i < 3; ++i) {
        m_rgbSliders[i]->setValue(values[i]);
        m_rgbValues[i]->setNum(m_rgbSliders[i]->value());
    }
    m_loading = false;
    int r = 0, g = 0, b = 0;
    setShowColorButton(r, g, b);
}

void LightSettingWidget::setShowColorButton(int &redValue, int &greenValue, int &blueValue)
{
    redValue = m_rgbSliders[0]->value();
    greenValue = m_rgbSliders[1]->value();
    blueValue = m_rgbSliders[2]->value();
    m_showColorButton->setStyleSheet(QStringLiteral("QPushButton{border:0px;background:rgb(")
                                     + rgbText(redValue, greenValue, blueValue)
                                     + QStringLiteral(");}"));
    m_showColorButton->setAccessibleDescription(rgbText(redValue, greenValue, blueValue));
}

void LightSettingWidget::setMouseColorParameter(int red, int green, int blue)
{
    report(QStringLiteral("LightColor"), QStringLiteral("(%1,%2,%3)").arg(red).arg(green).arg(blue));
    const COLORREF color = makeColorRef(BYTE(red), BYTE(green), BYTE(blue));
    zone(m_wheel).setColor(0, color);
    using Target = DeviceSession::LightTarget;
    track(m_session->setLightColors(m_wheel ? Target::Wheel : Target::Logo, {color}));
}

void LightSettingWidget::colorSliderMoved(QSlider *slider, QLabel *label, int value)
{
    label->setNum(value);
    // A drag is sent when it ends; a step by key, wheel or click is sent at once.
    if (!m_loading && !slider->isSliderDown())
        applyColorSliders();
}

void LightSettingWidget::applyColorSliders()
{
    int r = 0, g = 0, b = 0;
    setShowColorButton(r, g, b);
    const COLORREF color = makeColorRef(BYTE(r), BYTE(g), BYTE(b));
    if ((zone(m_wheel).color(0) & 0xFFFFFF) == color)
        return; // e.g. a click that jumped the slider, then let go without dragging
    setMouseColorParameter(r, g, b);
}

void LightSettingWidget::on_Red_Slider_valueChanged(int value) { colorSliderMoved(m_rgbSliders[0], m_rgbValues[0], value); }
void LightSettingWidget::on_Green_Slider_valueChanged(int value) { colorSliderMoved(m_rgbSliders[1], m_rgbValues[1], value); }
void LightSettingWidget::on_Blue_Slider_valueChanged(int value) { colorSliderMoved(m_rgbSliders[2], m_rgbValues[2], value); }
void LightSettingWidget::on_Red_Slider_sliderReleased() { applyColorSliders(); }
void LightSettingWidget::on_Green_Slider_sliderReleased() { applyColorSliders(); }
void LightSettingWidget::on_Blue_Slider_sliderReleased() { applyColorSliders(); }

bool LightSettingWidget::eventFilter(QObject *watched, QEvent *event)
{
    auto *slider = qobject_cast<QSlider *>(watched);
    if (!slider || !std::count(std::begin(m_rgbSliders), std::end(m_rgbSliders), slider))
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::Wheel) {
        if (!slider->isEnabled())
            return true;
        // One step per wheel event: towards the user ("back") raises, away ("forward") lowers.
        // An event without a vertical turn (the start or end of a touchpad scroll) moves nothing.
        const int delta = static_cast<QWheelEvent *>(event)->angleDelta().y();
        if (delta < 0) {
            qDebug() << "back";
            slider->setValue(slider->value() + 1);
        } else if (delta > 0) {
            qDebug() << "forward";
            slider->setValue(slider->value() - 1);
        }
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        auto *press = static_cast<QMouseEvent *>(event);
        if (press->button() == Qt::LeftButton && slider->width() > 0) {
            // Jump to the point clicked; the slider's own press handling follows (a drag).
            const int span = slider->maximum() - slider->minimum();
            const int value = slider->minimum() + int(double(press->pos().x()) / slider->width() * span);
            if (value != slider->sliderPosition())
                slider->setValue(value);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LightSettingWidget::report(const QString &action, const QString &label, bool zoneSpecific)
{
    const QString suffix = zoneSpecific && !m_wheel ? QStringLiteral("_Logo") : QString();
    Q_EMIT sig_SendEventMessageToGA(kCategory, action, label + suffix, QString());
}
