#include "ui/dialogs/drawdialog.h"

#include "common/texttable.h"
#include "session/devicesession.h"
#include "ui/dialogs/drawborderwidget.h"

#include <QCheckBox>
#include <QDebug>
#include <QFileDialog>
#include <QFontComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
// Text numbers.
constexpr int kTitle = 404;
constexpr int kPen = 405;
constexpr int kText = 406;
constexpr int kUndo = 407;
constexpr int kClear = 408;
constexpr int kAddPicture = 409;
constexpr int kChoosePicture = 410;
constexpr int kWhiteBackground = 411;
constexpr int kFont = 412;
constexpr int kSize = 413;
constexpr int kBrightness = 414;
constexpr int kScreenShows = 415;
constexpr int kShowCpi = 416;
constexpr int kShowApm = 417;
constexpr int kScreenOff = 418;
constexpr int kSaveFailed = 419;
constexpr int kPenHint = 420;
constexpr int kTextHint = 421;
constexpr int kOk = 116;
constexpr int kCancel = 117;
constexpr int kClose = 279;

// The text size box, in canvas pixels (a third of it on the screen).
constexpr int kSizeMin = 33;
constexpr int kSizeMax = 99;
constexpr int kBrightnessMin = 5;
constexpr int kBrightnessMax = 100;

const char kPenIcon[] = ":/picture/picture/pop_show_pan.png";
const char kPenIconSelected[] = ":/picture/picture/pop_show_pan_s.png";
const char kTextIcon[] = ":/picture/picture/pop_show_frot.png";
const char kTextIconSelected[] = ":/picture/picture/pop_show_frot_s.png";

QLabel *label(const char *name, QWidget *parent, const char *role = nullptr)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    if (role)
        l->setProperty("role", QLatin1String(role));
    return l;
}
} // namespace

DrawDialog::DrawDialog(DeviceSession *session, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_session(session),
      m_canvas(new DrawBorderWidget)
{
    setObjectName(QStringLiteral("DrawDialog"));
    setModal(true);
    setAttribute(Qt::WA_StyledBackground);
    m_chooseFile = [](QWidget *p, const QString &caption) {
        return QFileDialog::getOpenFileName(p, caption, QString(), QStringLiteral("Images (*.bmp)"));
    };
    if (m_session) {
        const int n = m_session->state().configNumber();
        if (n >= 1 && n <= 5)
            m_configNumber = QString::number(n);
    }

    // Title row.
    m_title = label("DrawTitle", this, "title");
    m_close = new QPushButton(QStringLiteral("\u2715"), this);
    m_close->setObjectName(QStringLiteral("closeButton"));
    auto *titleRow = new QHBoxLayout;
    titleRow->addWidget(m_title);
    titleRow->addStretch();
    titleRow->addWidget(m_close);

    // The canvas and its tools, on a card.
    auto *card = new QFrame(this);
    card->setObjectName(QStringLiteral("DrawCard"));
    card->setProperty("role", QStringLiteral("card"));
    auto *canvasFrame = new QFrame(card);
    canvasFrame->setObjectName(QStringLiteral("DrawCanvasFrame"));
    // A one-pixel frame round the canvas, fixed: the canvas is the screen at three times its size.
    auto *canvasBox = new QVBoxLayout(canvasFrame);
    canvasBox->setContentsMargins(1, 1, 1, 1);
    m_canvas->setParent(canvasFrame);
    canvasBox->addWidget(m_canvas);
    canvasFrame->setFixedSize(DrawBorderWidget::kWidth + 2, DrawBorderWidget::kHeight + 2);

    m_brush = toolButton("Brush_Button", QLatin1String(kPenIcon));
    m_textTool = toolButton("TextEditButton", QLatin1String(kTextIcon));
    m_recall = new QPushButton(card);
    m_recall->setObjectName(QStringLiteral("Recall_Button"));
    m_erase = new QPushButton(card);
    m_erase->setObjectName(QStringLiteral("Erase_Button"));
    m_addPicture = new QPushButton(card);
    m_addPicture->setObjectName(QStringLiteral("AddPictureButton"));
    auto *tools = new QHBoxLayout;
    tools->setSpacing(8);
    tools->addWidget(m_brush);
    tools->addWidget(m_textTool);
    tools->addSpacing(8);
    tools->addWidget(m_recall);
    tools->addWidget(m_erase);
    tools->addStretch();
    tools->addWidget(m_addPicture);

    // The pen's panel: how to draw; the text tool has its own hint.
    m_penPanel = new QWidget(card);
    m_penPanel->setObjectName(QStringLiteral("PenPanel"));
    auto *penBox = new QHBoxLayout(m_penPanel);
    penBox->setContentsMargins(0, 0, 0, 0);
    // One line each, not wrapped: a wrapping label makes the card's height depend on its width,
    // and the box layout then squeezes the fixed canvas under the tools.
    m_penHint = label("PenHint", m_penPanel, "secondary");
    penBox->addWidget(m_penHint);
    m_textHint = label("TextHint", card, "secondary");
    m_textHint->hide();

    auto *cardBox = new QVBoxLayout(card);
    cardBox->setContentsMargins(16, 16, 16, 16);
    cardBox->setSpacing(8);
    cardBox->addWidget(canvasFrame, 0, Qt::AlignHCenter);
    cardBox->addLayout(tools);
    cardBox->addWidget(m_penPanel);
    cardBox->addWidget(m_textHint);
    cardBox->addStretch();

    // Settings column: text, ground, brightness, what the screen shows.
    m_fontLabel = label("FontLabel", this);
    m_fontBox = new QFontComboBox(this);
    m_fontBox->setObjectName(QStringLiteral("fontComboBox"));
    m_fontBox->setEditable(false);
    m_fontBox->setMinimumWidth(180);
    m_sizeLabel = label("SizeLabel", this);
    m_sizeBox = new QSpinBox(this);
    m_sizeBox->setObjectName(QStringLiteral("spinBox"));
    m_sizeBox->setRange(kSizeMin, kSizeMax);
    m_sizeBox->setValue(DrawBorderWidget::kDefaultFontPixels);
    m_sizeBox->setSuffix(QStringLiteral(" px"));
    m_background = new QCheckBox(this);
    m_background->setObjectName(QStringLiteral("ChangeBackground_CheckBox"));
    m_brightnessLabel = label("BrightnessLabel", this);
    m_brightness = new QSlider(Qt::Horizontal, this);
    m_brightness->setObjectName(QStringLiteral("BrightnessSlider"));
    m_brightness->setRange(kBrightnessMin, kBrightnessMax);
    m_brightness->setPageStep(1);
    m_brightness->setValue(kBrightnessMax);
    m_brightnessValue = label("BrightnessValue", this, "secondary");
    m_brightnessValue->setMinimumWidth(48);
    m_brightnessValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_screenLabel = label("ScreenLabel", this);
    m_showCpi = new QPushButton(this);
    m_showCpi->setObjectName(QStringLiteral("ShowCpiValueButton"));
    m_showApm = new QPushButton(this);
    m_showApm->setObjectName(QStringLiteral("ShowApmButton"));
    m_screenOff = new QPushButton(this);
    m_screenOff->setObjectName(QStringLiteral("CloseOLEDScreenButton"));

    auto *settings = new QGridLayout;
    settings->setHorizontalSpacing(8);
    settings->setVerticalSpacing(8);
    settings->setColumnStretch(1, 1);
    settings->addWidget(m_fontLabel, 0, 0);
    settings->addWidget(m_fontBox, 0, 1, 1, 2);
    settings->addWidget(m_sizeLabel, 1, 0);
    settings->addWidget(m_sizeBox, 1, 1, Qt::AlignLeft);
    settings->addWidget(m_background, 2, 0, 1, 3);
    settings->setRowMinimumHeight(3, 16);
    settings->addWidget(m_brightnessLabel, 4, 0);
    settings->addWidget(m_brightness, 4, 1);
    settings->addWidget(m_brightnessValue, 4, 2);
    settings->setRowMinimumHeight(5, 16);
    settings->addWidget(m_screenLabel, 6, 0, 1, 3);
    auto *screenRow = new QHBoxLayout;
    screenRow->setSpacing(8);
    screenRow->addWidget(m_showCpi);
    screenRow->addWidget(m_showApm);
    screenRow->addWidget(m_screenOff);
    settings->addLayout(screenRow, 7, 0, 1, 3);
    settings->setRowStretch(8, 1);

    auto *body = new QHBoxLayout;
    body->setSpacing(24);
    body->addWidget(card);
    body->addLayout(settings, 1);

    // Bottom row.
    m_error = label("SaveError", this);
    m_error->setWordWrap(true);
    m_error->hide();
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("DrawCancleButton"));
    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("DrawOkButton"));
    m_ok->setProperty("role", QStringLiteral("primary"));
    m_ok->setDefault(true);
    m_ok->setAutoDefault(true);
    for (QPushButton *b : {m_close, m_brush, m_textTool, m_recall, m_erase, m_addPicture, m_showCpi, m_showApm,
                           m_screenOff, m_cancel})
        b->setAutoDefault(false);
    m_cancel->setMinimumWidth(96);
    m_ok->setMinimumWidth(96);
    auto *bottom = new QHBoxLayout;
    bottom->setSpacing(8);
    bottom->addWidget(m_error);
    bottom->addStretch(1);
    bottom->addWidget(m_cancel);
    bottom->addWidget(m_ok);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(16, 8, 16, 16);
    root->setSpacing(16);
    root->addLayout(titleRow);
    root->addLayout(body, 1);
    root->addLayout(bottom);

    // Reading order for the keyboard.
    setTabOrder(m_brush, m_textTool);
    setTabOrder(m_textTool, m_recall);
    setTabOrder(m_recall, m_erase);
    setTabOrder(m_erase, m_addPicture);
    setTabOrder(m_addPicture, m_fontBox);
    setTabOrder(m_fontBox, m_sizeBox);
    setTabOrder(m_sizeBox, m_background);
    setTabOrder(m_background, m_brightness);
    setTabOrder(m_brightness, m_showCpi);
    setTabOrder(m_showCpi, m_showApm);
    setTabOrder(m_showApm, m_screenOff);
    setTabOrder(m_screenOff, m_cancel);
    setTabOrder(m_cancel, m_ok);
    setTabOrder(m_ok, m_close);

    connect(m_close, &QPushButton::clicked, this, &DrawDialog::on_closeButton_clicked);
    connect(m_cancel, &QPushButton::clicked, this, &DrawDialog::on_DrawCancleButton_clicked);
    connect(m_ok, &QPushButton::clicked, this, &DrawDialog::on_DrawOkButton_clicked);
    connect(m_brush, &QPushButton::clicked, this, &DrawDialog::on_Brush_Button_clicked);
    connect(m_recall, &QPushButton::clicked, this, &DrawDialog::on_Recall_Button_clicked);
    connect(m_textTool, &QPushButton::clicked, this, &DrawDialog::on_TextEditButton_clicked);
    connect(m_background, &QCheckBox::stateChanged, this, &DrawDialog::on_ChangeBackground_CheckBox_stateChanged);
    connect(m_fontBox, &QFontComboBox::currentFontChanged, this, &DrawDialog::on_fontComboBox_currentFontChanged);
    connect(m_sizeBox, QOverload<int>::of(&QSpinBox::valueChanged), this, &DrawDialog::on_spinBox_valueChanged);
    connect(m_addPicture, &QPushButton::clicked, this, &DrawDialog::on_AddPictureButton_clicked);
    connect(m_erase, &QPushButton::clicked, this, &DrawDialog::on_Erase_Button_clicked);
    connect(m_showCpi, &QPushButton::clicked, this, &DrawDialog::on_ShowCpiValueButton_clicked);
    connect(m_showApm, &QPushButton::clicked, this, &DrawDialog::on_ShowApmButton_clicked);
    connect(m_screenOff, &QPushButton::clicked, this, &DrawDialog::on_CloseOLEDScreenButton_clicked);
    // Every value of the slider goes to the mouse as it changes.
    connect(m_brightness, &QSlider::valueChanged, this, [this](int value) {
        m_brightnessValue->setText(QStringLiteral("%1 %").arg(value));
        if (!m_brightness->isSliderDown()) // a drag is reported once, when it ends
            report(QStringLiteral("OLEDBrightness"));
        if (m_session)
            m_session->setScreenBrightness(value);
        Q_EMIT sig_OLEDScreenLightIntensity(value);
    });
    connect(m_brightness, &QSlider::sliderReleased, this, [this] { report(QStringLiteral("OLEDBrightness")); });
    m_brightnessValue->setText(QStringLiteral("%1 %").arg(m_brightness->value()));

    m_canvas->setTextFont(m_fontBox->currentFont());
    m_canvas->setTextPixelSize(m_sizeBox->value());
    initText();
    // The dialog opens ready to draw.
    brushButtonSelected(true);
}

QPushButton *DrawDialog::toolButton(const char *name, const QString &icon)
{
    auto *b = new QPushButton(this);
    b->setObjectName(QLatin1String(name));
    b->setProperty("tool", true);
    b->setIcon(QIcon(icon));
    b->setIconSize(QSize(32, 32));
    b->setCheckable(true);
    return b;
}

void DrawDialog::initText()
{
    setWindowTitle(TextTable::text(kTitle));
    m_title->setText(TextTable::text(kTitle));
    m_close->setToolTip(TextTable::text(kClose));
    m_close->setAccessibleName(TextTable::text(kClose));
    m_brush->setToolTip(TextTable::text(kPen));
    m_brush->setAccessibleName(TextTable::text(kPen));
    m_textTool->setToolTip(TextTable::text(kText));
    m_textTool->setAccessibleName(TextTable::text(kText));
    m_recall->setText(TextTable::text(kUndo));
    m_erase->setText(TextTable::text(kClear));
    m_addPicture->setText(TextTable::text(kAddPicture));
    m_penHint->setText(TextTable::text(kPenHint));
    m_textHint->setText(TextTable::text(kTextHint));
    m_fontLabel->setText(TextTable::text(kFont));
    m_sizeLabel->setText(TextTable::text(kSize));
    m_background->setText(TextTable::text(kWhiteBackground));
    m_brightnessLabel->setText(TextTable::text(kBrightness));
    m_brightness->setAccessibleName(TextTable::text(kBrightness));
    m_screenLabel->setText(TextTable::text(kScreenShows));
    m_showCpi->setText(TextTable::text(kShowCpi));
    m_showApm->setText(TextTable::text(kShowApm));
    m_screenOff->setText(TextTable::text(kScreenOff));
    m_error->setText(TextTable::text(kSaveFailed));
    m_cancel->setText(TextTable::text(kCancel));
    m_ok->setText(TextTable::text(kOk));
    m_canvas->setAccessibleName(TextTable::text(kTitle));
}

void DrawDialog::setConfigNumber(const QString &configNumber)
{
    m_configNumber = configNumber;
}

void DrawDialog::report(const QString &action)
{
    Q_EMIT sig_SendEventMessageToGA(QStringLiteral("Mouse"), action, action, QStringLiteral("OLED"));
}

void DrawDialog::slot_loadImage()
{
    m_canvas->slot_loadImage();
}

void DrawDialog::on_closeButton_clicked()
{
    report(QStringLiteral("OLEDClose"));
    reject();
}

void DrawDialog::on_DrawCancleButton_clicked()
{
    report(QStringLiteral("OLEDCancel"));
    reject();
}

void DrawDialog::on_DrawOkButton_clicked()
{
    report(QStringLiteral("OLEDSave"));
    m_error->hide();
    const QImage picture = m_canvas->pictureToSave();
    if (picture.isNull()) {
        // Nothing drawn: the mouse goes back to its factory picture.
        qDebug() << "save widget screen failed";
        if (m_session)
            m_session->writePicture(QStringLiteral("0"));
        Q_EMIT sig_SetImageOnMouse(QStringLiteral("0"));
        accept();
        return;
    }
    QString problem;
    if (!m_session || !m_session->storePicture(m_configNumber.toInt(), picture, &problem)) {
        // The file could not be written. Sending "0" now would throw away the configuration's
        // previous picture and the mouse's as well: the dialog stays open with the drawing, so
        // that the user can try again or cancel.
        qDebug() << "save widget screen failed" << problem;
        m_error->show();
        return;
    }
    qDebug() << "save widget screen succed";
    m_session->writePicture(m_configNumber);
    Q_EMIT sig_SetImageOnMouse(m_configNumber);
    accept();
}

void DrawDialog::brushButtonSelected(bool brushButtonClick)
{
    m_canvas->setPenMode(brushButtonClick);
    m_brush->setChecked(brushButtonClick);
    m_brush->setIcon(QIcon(QLatin1String(brushButtonClick ? kPenIconSelected : kPenIcon)));
    m_penPanel->setVisible(brushButtonClick);
    // Either way the text tool is put down.
    m_canvas->setTextMode(false);
    m_textTool->setChecked(false);
    m_textTool->setIcon(QIcon(QLatin1String(kTextIcon)));
    m_textHint->hide();
}

void DrawDialog::textEditButtonSelected(bool textEditButtonClick)
{
    if (!textEditButtonClick) {
        m_canvas->setTextMode(false);
        m_textTool->setChecked(false);
        m_textTool->setIcon(QIcon(QLatin1String(kTextIcon)));
        m_textHint->setVisible(!m_canvas->text().isEmpty());
        return;
    }
    m_canvas->setPenMode(false);
    m_brush->setChecked(false);
    m_brush->setIcon(QIcon(QLatin1String(kPenIcon)));
    m_penPanel->hide();
    m_canvas->setTextMode(true);
    m_textTool->setChecked(true);
    m_textTool->setIcon(QIcon(QLatin1String(kTextIconSelected)));
    m_textHint->show();
}

void DrawDialog::on_Brush_Button_clicked()
{
    report(QStringLiteral("OLEDPen"));
    brushButtonSelected(!m_canvas->penMode());
}

void DrawDialog::on_TextEditButton_clicked()
{
    report(QStringLiteral("OLEDText"));
    textEditButtonSelected(!m_canvas->textMode());
}

void DrawDialog::on_Recall_Button_clicked()
{
    report(QStringLiteral("OLEDUndo"));
    m_canvas->undo();
}

void DrawDialog::on_Erase_Button_clicked()
{
    report(QStringLiteral("OLEDClear"));
    m_canvas->clear();
}

void DrawDialog::on_ChangeBackground_CheckBox_stateChanged(int arg1)
{
    report(QStringLiteral("OLEDBackground"));
    m_canvas->setBlackBackground(arg1 != Qt::Checked);
}

void DrawDialog::on_fontComboBox_currentFontChanged(const QFont &f)
{
    report(QStringLiteral("OLEDFont"));
    m_canvas->setTextFont(f);
}

void DrawDialog::on_spinBox_valueChanged(int arg1)
{
    report(QStringLiteral("OLEDTextSize"));
    m_canvas->setTextPixelSize(arg1);
}

void DrawDialog::on_AddPictureButton_clicked()
{
    report(QStringLiteral("OLEDAddPicture"));
    const QString path = m_chooseFile ? m_chooseFile(this, TextTable::text(kChoosePicture)) : QString();
    if (path.isEmpty())
        return;
    qDebug() << "on_AddPictureButton_clicked" << path;
    m_canvas->setBackgroundPicture(path);
}

void DrawDialog::screenBehaviour(int behaviour, const QString &action)
{
    report(action);
    if (m_session)
        m_session->setScreenBehaviour(behaviour);
    Q_EMIT sig_OLEDScreenParameter(behaviour);
    accept();
}

void DrawDialog::on_ShowCpiValueButton_clicked()
{
    screenBehaviour(1, QStringLiteral("OLEDShowCpi"));
}

void DrawDialog::on_ShowApmButton_clicked()
{
    screenBehaviour(2, QStringLiteral("OLEDShowApm"));
}

void DrawDialog::on_CloseOLEDScreenButton_clicked()
{
    screenBehaviour(3, QStringLiteral("OLEDScreenOff"));
}
