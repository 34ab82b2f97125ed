#include "ui/widgets/warningdialog.h"

#include "catalog/modelcatalog.h"
#include "common/apppaths.h"
#include "common/mousetype.h"
#include "common/texttable.h"
#include "common/warning.h"

#include <QCheckBox>
#include <QDebug>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTextEdit>

#include <algorithm>

const char WarningDialog::kDownloadPage[] = "https://qkdriver.org/download";
const char WarningDialog::kWebSite[] = "https://qkdriver.org";

namespace {
// Geometry of the overlay (the main window's central widget) and of its panels.
constexpr int kWidth = 960, kHeight = 640;
const QRect kPanel(314, 229, 342, 180);
const QRect kWideMessagePanel(320, 185, 330, 250);   // warning 41
const QRect kProgressPanel(255, 229, 450, 150);
const QRect kTitle(16, 12, 310, 24);
const QRect kText(16, 42, 310, 88);
const QRect kTextAboveRemind(16, 42, 310, 64);
const QRect kWideMessageText(25, 30, 280, 170);
const QRect kRemind(16, 108, 310, 20);
constexpr int kButtonWidth = 92, kButtonHeight = 30, kButtonRow = 135;
constexpr int kWakeUpOkX = 28, kWakeUpX = 128;
constexpr int kOneButtonX = 125, kCancelX = 68, kOkX = 182, kWideMessageOkY = 215;
constexpr int kOkCaption = 116, kCancelCaption = 117, kWakeUpCaption = 223, kSupportCaption = 192;
constexpr int kNetworkErrorText = 359;

// Colours of the dark palette used by this dialog.
const char kStyle[] = R"(
QWidget { background: transparent; }
#Panel, #UpdateWidget, #BattaryWidget { background: #17191E; border: 1px solid #2E323A; border-radius: 10px; }
QLabel { color: #E8EAED; background: transparent; font-size: 10pt; }
#Title_Label { font-size: 12pt; font-weight: 600; }
QTextEdit { color: #E8EAED; background: transparent; border: none; font-size: 10pt; }
QCheckBox { color: #9AA0A6; background: transparent; font-size: 9pt; }
QCheckBox::indicator { width: 14px; height: 14px; border: 1px solid #9AA0A6; border-radius: 3px; background: #22252C; }
QCheckBox::indicator:checked { background: #40C5DD; border-color: #40C5DD; }
QPushButton { min-height: 28px; border-radius: 6px; font-size: 10pt; padding: 0 8px; }
QPushButton { color: #E8EAED; background: #22252C; border: 1px solid #2E323A; }
QPushButton:hover { background: #2E323A; }
QPushButton:focus { border: 2px solid #40C5DD; }
#OkButton, #SupportButton { color: #0E0F12; background: #40C5DD; border: none; }
#OkButton:pressed, #SupportButton:pressed { background: #2FA3B8; }
#OkButton:focus, #SupportButton:focus { border: 2px solid #E8EAED; }
QProgressBar { color: #E8EAED; background: #22252C; border: none; border-radius: 6px; text-align: center; }
QProgressBar::chunk { background: #40C5DD; border-radius: 6px; }
)";

bool isReceiver(int productId)
{
    const Catalog::ProductMatch match = Catalog::byProductId(productId);
    return match.model && match.link == Catalog::Link::Receiver;
}
} // namespace

WarningDialog::WarningDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      m_openUrl([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    setModal(true);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(kWidth, kHeight);
    setStyleSheet(kStyle);

    m_layer = new QWidget(this);
    m_layer->setObjectName("Layer");
    m_layer->setGeometry(0, 0, kWidth, kHeight);
    m_layer->setStyleSheet("QWidget\n{\nbackground:rgba(0,0,0,0.8);\n}");
    m_layer->setAttribute(Qt::WA_StyledBackground);

    m_panel = new QWidget(m_layer);
    m_panel->setObjectName("Panel");
    m_panel->setAttribute(Qt::WA_StyledBackground);
    m_panel->setStyleSheet(kStyle);
    m_title = new QLabel(m_panel);
    m_title->setObjectName("Title_Label");
    m_title->setAlignment(Qt::AlignCenter);
    m_text = new QTextEdit(m_panel);
    m_text->setObjectName("WarningTextEdit");
    m_text->setReadOnly(true);
    m_text->setFocusPolicy(Qt::NoFocus);
    m_text->setFrameShape(QFrame::NoFrame);
    m_ok = new QPushButton(m_panel);
    m_ok->setObjectName("OkButton");
    m_ok->setDefault(true);
    m_cancel = new QPushButton(m_panel);
    m_cancel->setObjectName("Cancle_Button");
    m_wakeUp = new QPushButton(m_panel);
    m_wakeUp->setObjectName("WakeUpMouseFailePushButton");
    m_support = new QPushButton(m_panel);
    m_support->setObjectName("SupportButton");
    m_noLongerRemind = new QCheckBox(m_panel);
    m_noLongerRemind->setObjectName("NoLongerRemindCheckBox");
    m_noLongerRemind->setGeometry(kRemind);

    m_updatePanel = new QWidget(m_layer);
    m_updatePanel->setObjectName("UpdateWidget");
    m_updatePanel->setAttribute(Qt::WA_StyledBackground);
    m_updatePanel->setStyleSheet(kStyle);
    m_updatePanel->setGeometry(kProgressPanel);
    m_updatingLabel = new QLabel(m_updatePanel);
    m_updatingLabel->setObjectName("updatingLabel");
    m_updatingLabel->setGeometry(16, 16, kProgressPanel.width() - 32, 72);
    m_updatingLabel->setAlignment(Qt::AlignCenter);
    m_progress = new QProgressBar(m_updatePanel);
    m_progress->setObjectName("progressBar");
    m_progress->setGeometry(16, 104, kProgressPanel.width() - 32, 28);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_updatePanel->hide();

    m_batteryPanel = new QWidget(m_layer);
    m_batteryPanel->setObjectName("BattaryWidget");
    m_batteryPanel->setGeometry(kPanel);
    m_batteryPanel->hide();

    connect(m_ok, &QPushButton::clicked, this, &WarningDialog::on_OkButton_clicked);
    connect(m_cancel, &QPushButton::clicked, this, &WarningDialog::on_Cancle_Button_clicked);
    connect(m_wakeUp, &QPushButton::clicked, this, &WarningDialog::on_WakeUpMouseFailePushButton_clicked);
    connect(m_support, &QPushButton::clicked, this, &WarningDialog::on_SupportButton_clicked);

    resetPanel();
}

void WarningDialog::SetPid(int productId) { m_pid = productId; }

void WarningDialog::setDownloadAddress(const QString &address) { m_downloadAddress = address; }

void WarningDialog::setUrlOpener(std::function<bool(const QUrl &)> opener) { m_openUrl = std::move(opener); }

void WarningDialog::resetPanel()
{
    m_updatePanel->hide();
    m_panel->setGeometry(kPanel);
    m_panel->show();
    m_title->setGeometry(kTitle);
    m_title->clear();
    m_title->show();
    m_text->setGeometry(kText);
    m_text->setStyleSheet(QString());
    m_text->clear();
    m_text->setAlignment(Qt::AlignLeft);
    m_wakeUp->hide();
    m_support->hide();
    m_noLongerRemind->hide();
    m_noLongerRemind->setChecked(false);
    m_ok->setText(TextTable::text(kOkCaption));
    m_cancel->setText(TextTable::text(kCancelCaption));
    setLayout(Layout::Two);
}

void WarningDialog::setLayout(Layout layout)
{
    m_ok->setVisible(layout != Layout::None);
    m_cancel->setVisible(layout == Layout::Two);
    m_ok->setGeometry(layout == Layout::Two ? kOkX : kOneButtonX, kButtonRow, kButtonWidth, kButtonHeight);
    m_cancel->setGeometry(kCancelX, kButtonRow, kButtonWidth, kButtonHeight);
}

void WarningDialog::fill(int title, int message, Layout layout, int ok, int cancel)
{
    m_title->setText(title < 0 ? QString() : TextTable::text(title));   // -1: no title
    m_text->setPlainText(TextTable::text(message));
    setLayout(layout);
    if (ok)
        m_ok->setText(TextTable::text(ok));
    if (cancel)
        m_cancel->setText(TextTable::text(cancel));
}

void WarningDialog::showProgressPanel(int type)
{
    m_type = type;
    m_panel->hide();
    m_updatePanel->show();
    if (type == toInt(Warning::FirmwareDownloading)) {
        m_updatingLabel->setWordWrap(false);
        m_updatingLabel->setText(TextTable::text(280));
    } else if (type == toInt(Warning::FirmwareUpdating)) {
        m_updatingLabel->setWordWrap(true);
        m_updatingLabel->setText(TextTable::text(281));
    }
}

void WarningDialog::setProgressValue(int percent) { m_progress->setValue(percent); }

void WarningDialog::setWarningType(int type)
{
    const std::optional<Warning> w = warningFromInt(type);
    if (w == Warning::FirmwareDownloading || w == Warning::FirmwareUpdating || w == Warning::Unraised42) {
        showProgressPanel(type);
        return;
    }
    m_type = type;
    resetPanel();
    if (!w)
        return;   // an unknown number: empty texts, default captions
    struct Row { Warning w; int title, message; Layout layout; int ok, cancel; };
    using L = Layout;
    static const Row rows[] = {
        {Warning::ConfirmFactoryReset, 1, 2, L::Two, 0, 0},
        {Warning::NewerProgramVersion, 40, 41, L::Two, 42, 43},
        {Warning::ConfirmUpload, 3, 4, L::Two, 0, 0},
        {Warning::ConfirmLogOut, 5, 6, L::Two, 0, 0},
        {Warning::ConfirmDownload, 7, 8, L::Two, 0, 0},
        {Warning::Unraised5, 9, 10, L::Two, 0, 0},
        {Warning::OnlyLeftButton, 13, 14, L::One, 0, 0},
        {Warning::FirmwareUpdateFailed, 35, 36, L::One, 0, 0},
        {Warning::FirmwareUpdateSucceeded, 37, 38, L::One, 39, 0},
        {Warning::NetworkError, 25, 26, L::One, 0, 0},
        {Warning::LoginNeeded, 11, 12, L::One, 0, 0},
        {Warning::FirmwareUpToDate, 15, 16, L::One, 0, 0},
        {Warning::TooManyUpdateAttempts, 83, 84, L::One, 277, 0},
        {Warning::Unraised15, 17, 18, L::One, 0, 0},
        {Warning::UploadFailed, 19, 20, L::One, 0, 0},
        {Warning::UploadFinished, 21, 22, L::One, 0, 0},
        {Warning::LoginExpired, 87, 88, L::One, 277, 0},
        {Warning::DownloadFailed, 23, 24, L::One, 0, 0},
        {Warning::Unraised20, 29, 30, L::One, 0, 0},
        {Warning::DownloadFinished, 27, 28, L::One, 0, 0},
        {Warning::Unraised23, 31, 32, L::One, 0, 0},
        {Warning::Unraised24, 33, 34, L::Two, 0, 0},
        {Warning::Unraised25, 44, 45, L::One, 116, 0},
        {Warning::Unraised26, 46, 47, L::Two, 277, 278},
        {Warning::MacroTooLong, 48, 49, L::One, 0, 0},
        {Warning::PasswordChanged, 50, 51, L::One, 0, 0},
        {Warning::Unraised29, 52, 53, L::One, 279, 0},
        {Warning::PairingSucceeded, 54, 55, L::One, 279, 0},
        {Warning::PairingFailed, 56, 57, L::One, 279, 0},
        {Warning::ReadOrWriteFailed, 58, 59, L::One, 60, 0},
        {Warning::WakeUpHelp, 63, 64, L::Two, 65, 279},
        {Warning::NewerFirmwareOnSupportPage, 73, 74, L::Two, 277, 278},
        {Warning::NewerFirmwareAtConnection, 75, 76, L::Two, 277, 278},
        {Warning::Unraised36, 61, 62, L::One, 60, 0},
        {Warning::MacroListWritten, 67, 346, L::One, 279, 0},
        {Warning::NoConfigurationMatches, 69, 70, L::Two, 71, 72},
        {Warning::UpdateWithoutModelChoice, 77, 78, L::Two, 79, 80},
        {Warning::UpdateRefusedThroughReceiver, 81, 82, L::One, 277, 0},
        {Warning::ConfirmOspreyFamilyUpdate, -1, 85, L::One, 86, 0},
        {Warning::MacroRefusedOnButton, 95, 96, L::One, 277, 0},
        {Warning::ReceiverPairedWithOtherMouse, 89, 90, L::None, 0, 0},
        {Warning::RegistrationSucceeded, 91, 92, L::One, 277, 0},
        {Warning::PasswordResetSucceeded, 93, 94, L::One, 277, 0},
        {Warning::TooManyInsertions, 347, 348, L::One, 347, 0},
        {Warning::Unraised48, 353, 354, L::Two, 353, 355},
        {Warning::Unraised49, 349, 350, L::One, 277, 0},
        {Warning::Unraised50, 351, 352, L::One, 277, 0},
        {Warning::Unraised51, 351, 360, L::One, 277, 0},
        {Warning::NewerProgramVersionOnRequest, 40, 41, L::Two, 42, 43},
        {Warning::ProgramUpToDate, 369, 370, L::One, 116, 0},
    };
    const Row *row = nullptr;
    for (const Row &r : rows)
        if (r.w == *w)
            row = &r;
    if (!row)
        return;   // 54 (shown through setWarningMessage) has no texts of its own
    fill(row->title, row->message, row->layout, row->ok, row->cancel);

    switch (*w) {
    case Warning::NewerProgramVersion:
        m_text->setGeometry(kTextAboveRemind);
        m_noLongerRemind->show();
        break;
    case Warning::ReadOrWriteFailed:
        if (isReceiver(m_pid)) {
            m_wakeUp->setText(TextTable::text(kWakeUpCaption));
            // OK and the wider wake-up button share the row: OK on the left.
            m_ok->move(kWakeUpOkX, kButtonRow);
            m_wakeUp->setGeometry(kWakeUpX, kButtonRow, kPanel.width() - kWakeUpOkX - kWakeUpX, kButtonHeight);
            m_wakeUp->show();
        }
        break;
    case Warning::MacroListWritten: {
        const int mouse = MouseType::current();
        if (mouse == 4 || mouse == 6 || mouse == 18)
            m_text->setPlainText(TextTable::text(68));
        break;
    }
    case Warning::ConfirmOspreyFamilyUpdate: {
        m_panel->setGeometry(kWideMessagePanel);
        m_title->hide();
        m_text->setGeometry(kWideMessageText);
        m_text->setStyleSheet("font-family: \"Source Han Sans CN\"; font-size: 12pt;");
        m_text->selectAll();
        m_text->setAlignment(Qt::AlignCenter);
        m_text->moveCursor(QTextCursor::Start);
        m_ok->move(kOneButtonX, kWideMessageOkY);
        break;
    }
    case Warning::ReceiverPairedWithOtherMouse:
        m_support->setText(TextTable::text(kSupportCaption));
        m_support->setGeometry(kOneButtonX, kButtonRow, kButtonWidth, kButtonHeight);
        m_support->show();
        break;
    default:
        break;
    }
    fitCaptions();
}

void WarningDialog::fitCaptions()
{
    // A title too long for one line at the title size drops to the body size.
    m_title->setStyleSheet(QString());
    m_title->ensurePolished();
    if (m_title->fontMetrics().horizontalAdvance(m_title->text()) > m_title->width())
        m_title->setStyleSheet("font-size: 10pt;");
    // A caption longer than the standard width widens its button around the same centre.
    for (QPushButton *b : {m_ok, m_cancel, m_support}) {
        const int width = std::max(kButtonWidth, b->sizeHint().width());
        if (width > b->width())
            b->setGeometry(b->geometry().center().x() + 1 - width / 2, b->y(), width, kButtonHeight);
    }
    // Two wide buttons: Cancel and OK side by side, 8 px apart, centred as a pair.
    if (m_cancel->isVisibleTo(this) && m_ok->isVisibleTo(this) && m_cancel->geometry().right() + 8 > m_ok->x()) {
        const int x = (m_panel->width() - m_cancel->width() - 8 - m_ok->width()) / 2;
        m_cancel->move(x, m_cancel->y());
        m_ok->move(x + m_cancel->width() + 8, m_ok->y());
    }
}

void WarningDialog::setWarningMessage(int type, QString message)
{
    qDebug() << "setWarningMessage" << message;
    m_type = type;
    resetPanel();
    int title = -1;
    switch (type) {
    case 9: title = 25; break;
    case 16: title = 19; break;
    case 19: title = 23; break;
    case 54: title = 205; break;
    default: break;
    }
    m_title->setText(title < 0 ? QString() : TextTable::text(title));
    if (message == QLatin1String("Network Error, please try again later"))
        message = TextTable::text(kNetworkErrorText);
    // A server's text is shown as plain text: no markup of its own reaches the screen.
    m_text->setPlainText(message);
    setLayout(Layout::One);
    fitCaptions();
}

void WarningDialog::storeReminderChoice()
{
    if (!m_noLongerRemind->isChecked())
        return;
    QSettings settings(AppPaths::applicationDir() + "/NoLongerRemind.ini", QSettings::IniFormat);
    settings.setValue("NotRemind", 1);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        qWarning() << "NoLongerRemind not written";
}

void WarningDialog::openUrl(const QUrl &url)
{
    if (m_openUrl && !m_openUrl(url))
        qWarning() << "cannot open" << url.toString();
}

void WarningDialog::reportPress(const QPushButton *button)
{
    emit sig_SendUIEventMessageToGA("WarningDialog", button->text(), m_title->text(), QString());
}

void WarningDialog::on_OkButton_clicked()
{
    done(QDialog::Accepted);
    const std::optional<Warning> w = warningFromInt(m_type);
    if (w) {
        switch (*w) {
        case Warning::ConfirmFactoryReset: emit sig_ResetMouseToOriginal(); break;
        case Warning::NewerProgramVersion:
        case Warning::NewerProgramVersionOnRequest:
            storeReminderChoice();
            openUrl(m_downloadAddress.isEmpty() ? QUrl(kDownloadPage) : QUrl(m_downloadAddress));
            break;
        case Warning::ConfirmUpload: emit sig_ChangeConfiFileBeforeStartToUploadFile(); break;
        case Warning::ConfirmLogOut:
        case Warning::PasswordChanged: emit sig_QuitUser(); break;
        case Warning::ConfirmDownload: emit sig_StarToDownloadFile(); break;
        case Warning::FirmwareUpdateFailed: emit sig_UpdateButtonEnable(); break;
        case Warning::FirmwareUpdateSucceeded: emit sig_OpenMouseAgain(); break;
        case Warning::TooManyUpdateAttempts:
        case Warning::PairingFailed: emit sig_exitSoftware(); break;
        case Warning::Unraised25:
        case Warning::Unraised26:
        case Warning::Unraised48:
            m_panel->hide();
            emit sig_ShowUpdateWidget(false, true, MouseType::current(), false);
            break;
        case Warning::ReadOrWriteFailed: emit sig_GetMouseProfileAgain(); break;
        case Warning::WakeUpHelp: emit sig_GoToMatchCodePage(); break;
        case Warning::NewerFirmwareOnSupportPage:
            m_panel->hide();
            emit sig_DownloadAndUpdateFirmwareNow();
            break;
        case Warning::NewerFirmwareAtConnection: emit sig_GoToSupportWidget(); break;
        case Warning::NoConfigurationMatches: emit sig_SaveCurrentProfileFileToConfig1(); break;
        case Warning::UpdateWithoutModelChoice: emit sig_UpdateFirmwareNow(); break;
        case Warning::ConfirmOspreyFamilyUpdate: emit sig_UpdateFirmwareNow_Halden(); break;
        case Warning::TooManyInsertions: emit sig_RestartSoftware(); break;
        default: break;
        }
    }
    reportPress(m_ok);
}

void WarningDialog::on_Cancle_Button_clicked()
{
    done(QDialog::Rejected);
    if (m_type == toInt(Warning::NewerProgramVersion))
        storeReminderChoice();
    else if (m_type == toInt(Warning::WakeUpHelp))
        emit sig_GetMouseProfileAgain();
    else if (m_type == toInt(Warning::NoConfigurationMatches))
        emit sig_ConfigRevcover(1);
    reportPress(m_cancel);
}

void WarningDialog::on_WakeUpMouseFailePushButton_clicked()
{
    setWarningType(toInt(Warning::WakeUpHelp));
}

void WarningDialog::on_SupportButton_clicked()
{
    done(QDialog::Accepted);
    openUrl(QUrl(kWebSite));
    reportPress(m_support);
}

void WarningDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        if (m_panel->isVisibleTo(this) && m_cancel->isVisibleTo(this))
            on_Cancle_Button_clicked();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
