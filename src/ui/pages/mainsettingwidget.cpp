#include "ui/pages/mainsettingwidget.h"

#include "catalog/modelcatalog.h"
#include "common/texttable.h"
#include "ui/pages/cpiform.h"
#include "ui/widgets/card.h"
#include "ui/widgets/cpislider.h"
#include "ui/widgets/mousepicture.h"
#include "ui/widgets/mypushbutton.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDebug>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int kTextDpi = 424;
constexpr int kTextReportRate = 425;
constexpr int kTextPointerSpeed = 426;
constexpr int kTextWheel = 427;
constexpr int kTextWheelLines = 428;
constexpr int kTextWheelScreen = 429;
constexpr int kTextScreenPicture = 430;
constexpr int kTextSlow = 442;
constexpr int kTextFast = 443;

const QString kCategory = QStringLiteral("MainSetting");

} // namespace

MainSettingWidget::MainSettingWidget(DeviceSession *session, QWidget *parent)
    : QWidget(parent), m_session(session)
{
    setObjectName(QStringLiteral("MainSettingWidget"));
    for (int i = 0; i < kStages; ++i)
        m_stageList << 0;

    auto *root = new QHBoxLayout(this);
    root->setContentsMargins(16, 16, 16, 16);
    root->setSpacing(12);
    auto *dpiCard = new QFrame(this);
    dpiCard->setObjectName(QStringLiteral("DpiCard"));
    dpiCard->setProperty("role", QStringLiteral("card"));
    buildDpiCard(dpiCard);
    m_picture = new MousePicture(this);
    auto *settingsCard = new QFrame(this);
    settingsCard->setObjectName(QStringLiteral("SettingsCard"));
    settingsCard->setProperty("role", QStringLiteral("card"));
    settingsCard->setFixedWidth(232);
    buildSettingsCard(settingsCard);
    root->addWidget(dpiCard, 1);
    root->addWidget(m_picture, 0, Qt::AlignVCenter);
    root->addWidget(settingsCard);

    connect(m_picture, &MousePicture::buttonsRebuilt, this, &MainSettingWidget::wireButtons);
    connect(session->stateObject(), &DeviceState::changed, this, &MainSettingWidget::refresh);
    refresh();
}

void MainSettingWidget::buildDpiCard(QWidget *card)
{
    auto *box = new QVBoxLayout(card);
    box->setContentsMargins(16, 12, 16, 12);
    box->setSpacing(4);
    box->addWidget(Card::title(TextTable::text(kTextDpi), card));
    for (int i = 0; i < kStages; ++i) {
        auto *row = new CPIForm(i, card);
        m_rows.insert(i, row);
        box->addWidget(row);
        connect(row, &CPIForm::sig_CurrentCPIValue, this, &MainSettingWidget::slot_ChangeCPIValueOnMouse);
        connect(row, &CPIForm::sig_CheckIsLastOneCpi, this, &MainSettingWidget::slot_CheckIsLastOneCpi);
        connect(row, &CPIForm::sig_CpiSliderChange, this, &MainSettingWidget::slot_CpiChangeUIEvent);
    }
    box->addStretch(1);
}

void MainSettingWidget::buildSettingsCard(QWidget *card)
{
    auto *box = new QVBoxLayout(card);
    box->setContentsMargins(16, 12, 16, 12);
    box->setSpacing(8);

    box->addWidget(Card::title(TextTable::text(kTextReportRate), card));
    auto *rates = new QGridLayout;
    rates->setHorizontalSpacing(8);
    rates->setVerticalSpacing(4);
    m_rateGroup = new QButtonGroup(this);
    const char *names[] = {"USBReportRate_125RadioButton", "USBReportRate_250RadioButton",
                           "USBReportRate_500RadioButton", "USBReportRate_1000RadioButton"};
    const int hz[] = {125, 250, 500, 1000};
    for (int code = 0; code < 4; ++code) {
        auto *r = new QRadioButton(QStringLiteral("%1Hz").arg(hz[code]), card);
        r->setObjectName(QLatin1String(names[code]));
        m_rateGroup->addButton(r, code);
        m_rateButtons << r;
        rates->addWidget(r, code / 2, code % 2);
    }
    connect(m_rateButtons[0], &QRadioButton::clicked, this, &MainSettingWidget::on_USBReportRate_125RadioButton_clicked);
    connect(m_rateButtons[1], &QRadioButton::clicked, this, &MainSettingWidget::on_USBReportRate_250RadioButton_clicked);
    connect(m_rateButtons[2], &QRadioButton::clicked, this, &MainSettingWidget::on_USBReportRate_500RadioButton_clicked);
    connect(m_rateButtons[3], &QRadioButton::clicked, this, &MainSettingWidget::on_USBReportRate_1000RadioButton_clicked);
    box->addLayout(rates);
    box->addSpacing(16);

    box->addWidget(Card::title(TextTable::text(kTextPointerSpeed), card));
    m_pointSlider = new MoveSlider(1, 20, QSize(200, 10), card);
    m_pointSlider->setObjectName(QStringLiteral("PointSpeedSlider"));
    m_pointSlider->setAccessibleName(TextTable::text(kTextPointerSpeed));
    box->addWidget(m_pointSlider);
    auto *scale = new QHBoxLayout;
    auto *slow = new QLabel(TextTable::text(kTextSlow), card);
    auto *fast = new QLabel(TextTable::text(kTextFast), card);
    slow->setProperty("role", QStringLiteral("scale"));
    fast->setProperty("role", QStringLiteral("scale"));
    scale->addWidget(slow);
    scale->addStretch(1);
    scale->addWidget(fast);
    box->addLayout(scale);
    connect(m_pointSlider, &MoveSlider::sig_ValueChange, this, &MainSettingWidget::slot_SetPointSpeed);
    box->addSpacing(16);

    box->addWidget(Card::title(TextTable::text(kTextWheel), card));
    m_linesRadio = new QRadioButton(TextTable::text(kTextWheelLines), card);
    m_linesRadio->setObjectName(QStringLiteral("TrolleySpeed_RadioButton_1"));
    box->addWidget(m_linesRadio);
    m_linesBox = new QWidget(card);
    m_linesBox->setObjectName(QStringLiteral("LinesBox"));
    auto *lines = new QHBoxLayout(m_linesBox);
    lines->setContentsMargins(24, 0, 0, 0);
    lines->setSpacing(4);
    m_linesSpin = new QSpinBox(m_linesBox);
    m_linesSpin->setObjectName(QStringLiteral("spinBox"));
    m_linesSpin->setRange(1, 100);
    m_linesSpin->setValue(3);
    m_linesSpin->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_linesSpin->setAlignment(Qt::AlignCenter);
    m_linesSpin->setAccessibleName(TextTable::text(kTextWheelLines));
    m_linesSpin->setFixedWidth(56);
    // Buttons like the DPI rows' (the spin box's own arrows are too small to hit).
    auto *fewer = new QToolButton(m_linesBox);
    fewer->setObjectName(QStringLiteral("LinesDownButton"));
    fewer->setText(QStringLiteral("\u2212"));
    auto *more = new QToolButton(m_linesBox);
    more->setObjectName(QStringLiteral("LinesUpButton"));
    more->setText(QStringLiteral("+"));
    for (QToolButton *b : {fewer, more}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAccessibleName(TextTable::text(kTextWheelLines));
    }
    connect(fewer, &QToolButton::clicked, m_linesSpin, &QSpinBox::stepDown);
    connect(more, &QToolButton::clicked, m_linesSpin, &QSpinBox::stepUp);
    lines->addWidget(fewer);
    lines->addWidget(m_linesSpin);
    lines->addWidget(more);
    lines->addStretch(1);
    box->addWidget(m_linesBox);
    m_screenRadio = new QRadioButton(TextTable::text(kTextWheelScreen), card);
    m_screenRadio->setObjectName(QStringLiteral("TrolleySpeed_RadioButton_2"));
    box->addWidget(m_screenRadio);
    auto *wheelGroup = new QButtonGroup(this);
    wheelGroup->addButton(m_linesRadio);
    wheelGroup->addButton(m_screenRadio);
    m_linesRadio->setChecked(true);
    connect(m_linesRadio, &QRadioButton::clicked, this, &MainSettingWidget::on_TrolleySpeed_RadioButton_1_clicked);
    connect(m_screenRadio, &QRadioButton::clicked, this, &MainSettingWidget::on_TrolleySpeed_RadioButton_2_clicked);
    connect(m_linesSpin, QOverload<int>::of(&QSpinBox::valueChanged), this, &MainSettingWidget::on_spinBox_valueChanged);
    m_pointerNote = new QLabel(card);
    m_pointerNote->setObjectName(QStringLiteral("PointerNote"));
    m_pointerNote->setProperty("role", QStringLiteral("secondary"));
    m_pointerNote->setWordWrap(true);
    m_pointerNote->hide();
    box->addWidget(m_pointerNote);

    box->addStretch(1);
    m_drawButton = new QPushButton(TextTable::text(kTextScreenPicture), card);
    m_drawButton->setObjectName(QStringLiteral("DrawButton"));
    m_drawButton->hide();
    connect(m_drawButton, &QPushButton::clicked, this, &MainSettingWidget::on_DrawButton_clicked);
    box->addWidget(m_drawButton);
}

QMap<int, MyPushButton *> MainSettingWidget::buttons() const
{
    return m_picture->buttons();
}

void MainSettingWidget::sendEvent(const QString &action, const QString &label)
{
    Q_EMIT sig_SendEventMessageToGA(kCategory, action, label, kCategory);
}

// ---- state onto the page -------------------------------------------------------------------

void MainSettingWidget::setMouseType(int code)
{
    m_mouseType = code;
    const Catalog::Model *model = Catalog::find(code);
    const int stages = model ? model->maxStages : kStages;
    for (CPIForm *row : qAsConst(m_rows)) {
        row->setMouseType(code);
        // A row the mouse cannot keep is not offered.
        row->setCheckable(row->stage() < stages);
        row->setVisible(row->stage() < stages);
    }
    m_picture->setMouseType(code);
    m_drawButton->setVisible(model && model->oled);
    m_shownStages.clear();
    m_shownGears = DeviceState::DpiGears();
    m_shownRate = -2;
}

void MainSettingWidget::refresh()
{
    const DeviceState &s = m_session->state();
    const int code = s.isOpen() ? s.modelCode() : 0;
    if (code != m_mouseType)
        setMouseType(code);
    if (!s.dpiStages().isEmpty() && (s.dpiStages() != m_shownStages || s.dpiGears() != m_shownGears)) {
        m_shownStages = s.dpiStages();
        m_shownGears = s.dpiGears();
        slot_SetCpidListValueOnPage(m_shownStages);
    }
    if (s.reportRate() != m_shownRate) {
        m_shownRate = s.reportRate();
        slot_SetUSBReportRateOnPage(m_shownRate);
    }
    const QMap<int, DeviceState::Button> buttons = s.buttons();
    for (auto it = buttons.constBegin(); it != buttons.constEnd(); ++it) {
        MyPushButton *b = m_picture->buttons().value(it.key());
        if (!b)
            continue;
        const DeviceState::Button &now = it.value();
        if (b->isOriginal() == now.factory && (now.factory || (b->changeType() == now.changeType
                && b->trueValue() == now.value && b->modifyKeyValue() == now.modifier)))
            continue;
        slot_SetMouseButtonStyleSheetIsOriginal(now.factory, it.key());
        if (!now.factory)
            slot_SetKeyTrueValue(it.key(), now.changeType, now.value, now.modifier);
    }
    m_picture->update();
}

int MainSettingWidget::getActualPositionInPageEnable(int n, const QList<bool> &taken) const
{
    const DeviceState::DpiGears gears = m_session->state().dpiGears();
    qDebug() << "getActualPositionInPageEnable" << n;
    int row = -1;
    if (!gears.relative || gears.enabled.size() < kStages) {
        row = n - 1;
    } else {
        int count = 0;
        for (int i = 0; i < kStages; ++i) {
            if (gears.enabled.at(i) && ++count == n) {
                row = i;
                break;
            }
        }
    }
    if (row >= 0 && row < kStages && !taken.at(row) && m_rows.value(row)->isCheckable())
        return row;
    // More stages than enabled gears (a gear file older than the mouse's stages): the stage goes
    // to the first free row instead of overwriting one already shown.
    for (int i = 0; i < kStages; ++i)
        if (!taken.at(i) && m_rows.value(i)->isCheckable())
            return i;
    return -1;
}

void MainSettingWidget::slot_SetCpidListValueOnPage(QList<DWORD> listDword)
{
    const DeviceState::DpiGears gears = m_session->state().dpiGears();
    qDebug() << "m_CPIFormMap" << listDword;
    for (int i = 0; i < kStages; ++i) {
        m_stageList[i] = 0;
        CPIForm *row = m_rows.value(i);
        row->setChecked(false);
        const int remembered = gears.values.value(i);
        row->showValue(remembered > 0 ? remembered : row->returnValue());
    }
    QList<bool> taken;
    for (int i = 0; i < kStages; ++i)
        taken << false;
    for (int index = 0; index < kStages && index < listDword.size(); ++index) {
        if (listDword.at(index) == 0)
            continue;
        const int position = getActualPositionInPageEnable(index + 1, taken);
        if (position < 0)
            break;
        CPIForm *row = m_rows.value(position);
        // A value the model cannot take (a factory image above the range) is shown, and sent
        // from now on, as the nearest value it can.
        const int value = row->fit(int(qMin<DWORD>(listDword.at(index), 1000000)));
        qDebug() << "slot_SetDPIValueOnPage True position value" << position << value;
        row->setChecked(true);
        row->showValue(value);
        taken[position] = true;
        m_stageList[position] = DWORD(value);
    }
    qDebug() << "setCPIValueOnPage" << m_stageList;
}

void MainSettingWidget::slot_SetUSBReportRateOnPage(int value)
{
    if (value < 0 || value >= m_rateButtons.size())
        return;
    m_rateButtons.at(value)->setChecked(true);
}

void MainSettingWidget::slot_SetMouseButtonStyleSheetIsOriginal(bool state, int button)
{
    if (MyPushButton *b = m_picture->buttons().value(button))
        b->setMouseButtonStyleSheetIsOriginal(state);
    m_picture->update();
}

void MainSettingWidget::slot_SetKeyTrueValue(int button, int changeType, int trueMosueValue, int modifyKey)
{
    qDebug() << "slot_SetKeyTrueValue changeType" << button << changeType;
    if (MyPushButton *b = m_picture->buttons().value(button))
        b->setButtonTrueValue(changeType, trueMosueValue, modifyKey);
}

void MainSettingWidget::wireButtons()
{
    for (MyPushButton *b : m_picture->buttons())
        connect(b, &MyPushButton::sig_ShowKeySettingDialog, this, &MainSettingWidget::slot_ShowKeySettingDialog);
}

// ---- user actions --------------------------------------------------------------------------

void MainSettingWidget::slot_CheckIsLastOneCpi(int level, int value)
{
    int checked = 0;
    for (CPIForm *row : qAsConst(m_rows))
        checked += row->isChecked() ? 1 : 0;
    qDebug() << "slot_CheckIsLastOneCpi" << level << value << checked;
    CPIForm *row = m_rows.value(level);
    if (checked < 2) {
        // A mouse always keeps at least one enabled stage.
        row->setChecked(true);
        return;
    }
    row->setChecked(false);
    slot_ChangeCPIValueOnMouse(level, 0);
}

void MainSettingWidget::slot_ChangeCPIValueOnMouse(int level, int value)
{
    if (level < 0 || level >= kStages)
        return;
    sendEvent(QStringLiteral("DPI"), QStringLiteral("%1_%2").arg(level + 1).arg(value));
    m_stageList[level] = DWORD(value);
    if (value != 0)
        m_session->setDpiRowValue(level, value);
    qDebug() << "slot_ChangeCPIValueOnMouse" << level << value << m_stageList;
    Q_EMIT sig_ChangeCPIValue(level, value);
    if (m_stageList.size() >= 5) {
        m_session->setDpiStages(m_stageList);
        Q_EMIT sig_ChangeCPIListValue(m_stageList);
    }
}

void MainSettingWidget::slot_CpiChangeUIEvent(bool type)
{
    sendEvent(QStringLiteral("DPIControl"), type ? QStringLiteral("Slider") : QStringLiteral("SpinBox"));
}

void MainSettingWidget::reportRateClicked(int code)
{
    sendEvent(QStringLiteral("ReportRate"), m_rateButtons.at(code)->text());
    m_session->setReportRate(code);
    Q_EMIT sig_ChangeUSBReportRate(code);
}

void MainSettingWidget::on_USBReportRate_125RadioButton_clicked() { reportRateClicked(0); }
void MainSettingWidget::on_USBReportRate_250RadioButton_clicked() { reportRateClicked(1); }
void MainSettingWidget::on_USBReportRate_500RadioButton_clicked() { reportRateClicked(2); }
void MainSettingWidget::on_USBReportRate_1000RadioButton_clicked() { reportRateClicked(3); }

void MainSettingWidget::slot_SetPointSpeed(int value)
{
    qDebug() << "pointSpeedChange" << value;
    sendEvent(QStringLiteral("PointerSpeed"), QString::number(value));
    Q_EMIT sig_SetPointSpeed(value);
}

void MainSettingWidget::on_TrolleySpeed_RadioButton_1_clicked()
{
    m_linesBox->setEnabled(true);
    sendEvent(QStringLiteral("Wheel"), QString::number(m_linesSpin->value()));
    Q_EMIT sig_SetTrolleySpeed(m_linesSpin->value());
}

void MainSettingWidget::on_TrolleySpeed_RadioButton_2_clicked()
{
    m_linesBox->setEnabled(false);
    sendEvent(QStringLiteral("Wheel"), QStringLiteral("-1"));
    Q_EMIT sig_SetTrolleySpeed(-1);
}

void MainSettingWidget::on_spinBox_valueChanged(int arg1)
{
    qDebug() << "on_spinBox_valueChanged" << arg1;
    sendEvent(QStringLiteral("Wheel"), QString::number(arg1));
    Q_EMIT sig_SetTrolleySpeed(arg1);
}

void MainSettingWidget::on_DrawButton_clicked()
{
    sendEvent(QStringLiteral("ScreenPicture"), QString());
    Q_EMIT sig_showDrawDialog();
}

void MainSettingWidget::slot_ShowKeySettingDialog(int button, int changeType, int trueMouseValue, int modifyKeyValue)
{
    Q_EMIT sig_showKeySettingDialog(button, changeType, trueMouseValue, modifyKeyValue);
}

void MainSettingWidget::setPointerSettings(bool available, const QString &whyNot, int speed, int lines)
{
    const QSignalBlocker b1(m_pointSlider);
    const QSignalBlocker b2(m_linesSpin);
    m_pointSlider->setValue(qBound(1, speed, 20));
    const bool screen = lines == -1;
    m_screenRadio->setChecked(screen);
    m_linesRadio->setChecked(!screen);
    if (!screen && lines > 0)
        m_linesSpin->setValue(lines);
    for (QWidget *w : std::initializer_list<QWidget *>{m_pointSlider, m_linesRadio, m_screenRadio})
        w->setEnabled(available);
    m_linesBox->setEnabled(available && !screen);
    const QString tip = available ? QString() : whyNot;
    for (QWidget *w : std::initializer_list<QWidget *>{m_pointSlider, m_linesRadio, m_screenRadio, m_linesSpin})
        w->setToolTip(tip);
    m_pointerNote->setText(tip);
    m_pointerNote->setVisible(!available && !tip.isEmpty());
}
