#include "ui/pages/supportwidget.h"

#include "common/mousetype.h"
#include "common/texttable.h"
#include "common/warning.h"
#include "net/update/filedownloader.h"
#include "net/update/updatefolder.h"
#include "session/devicesession.h"
#include "ui/widgets/warningdialog.h"
#include "ui/widgets/card.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {
enum SupportText {
    kTextFirmwareVersion = 382,
    kTextCheckFirmware = 383,
    kTextProgramVersion = 384,
    kTextCheckProgram = 385,
    kTextWebSite = 386,
    kTextSendReports = 387,
    kTextReportsGoTo = 388,
    kTextReportsOff = 389,
    kTextFirmwareCard = 390,
    kTextReportsCard = 391,
    kTextNoMouse = 392,
    kTextReportsNoAddress = 393,
    kTextReportsForcedOff = 394,
};

} // namespace

SupportWidget::SupportWidget(DeviceSession *session, QWidget *parent)
    : QWidget(parent), m_session(session), m_downloader(new FileDownloader(this))
{
    setObjectName(QStringLiteral("SupportWidget"));

    QVBoxLayout *firmwareBox = nullptr;
    QFrame *firmwareCard = Card::create(TextTable::text(kTextFirmwareCard), this, &firmwareBox);
    m_firmware = new QLabel(firmwareCard);
    m_firmware->setObjectName(QStringLiteral("FirmwareVersionLabel"));
    m_checkFirmware = new QPushButton(TextTable::text(kTextCheckFirmware), firmwareCard);
    m_checkFirmware->setObjectName(QStringLiteral("CheckUpdateButton"));
    m_checkFirmware->setProperty("role", QStringLiteral("primary"));
    m_program = new QLabel(firmwareCard);
    m_program->setObjectName(QStringLiteral("ProgramVersionLabel"));
    m_checkProgram = new QPushButton(TextTable::text(kTextCheckProgram), firmwareCard);
    m_checkProgram->setObjectName(QStringLiteral("CheckSoftwareUpdateButton"));
    auto *website = new QPushButton(TextTable::text(kTextWebSite), firmwareCard);
    website->setObjectName(QStringLiteral("OfficialWebsiteButton"));
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(24);
    grid->setVerticalSpacing(8);
    grid->addWidget(m_firmware, 0, 0);
    grid->addWidget(m_checkFirmware, 0, 1);
    grid->addWidget(m_program, 1, 0);
    grid->addWidget(m_checkProgram, 1, 1);
    grid->addWidget(website, 2, 1);
    grid->setColumnStretch(0, 1);
    firmwareBox->addLayout(grid);

    QVBoxLayout *reportsBox = nullptr;
    QFrame *reportsCard = Card::create(TextTable::text(kTextReportsCard), this, &reportsBox);
    m_reports = new QCheckBox(TextTable::text(kTextSendReports), reportsCard);
    m_reports->setObjectName(QStringLiteral("UsageReportsCheckBox"));
    m_reportsWhere = new QLabel(reportsCard);
    m_reportsWhere->setObjectName(QStringLiteral("UsageReportsLabel"));
    m_reportsWhere->setProperty("role", QStringLiteral("secondary"));
    m_reportsWhere->setWordWrap(true);
    reportsBox->addWidget(m_reports);
    reportsBox->addWidget(m_reportsWhere);

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(16, 16, 16, 16);
    page->setSpacing(24);
    page->addWidget(firmwareCard);
    page->addWidget(reportsCard);
    page->addStretch();

    connect(m_checkFirmware, &QPushButton::clicked, this, &SupportWidget::on_CheckUpdateButton_clicked);
    connect(m_checkProgram, &QPushButton::clicked, this, &SupportWidget::on_CheckSoftwareUpdateButton_clicked);
    connect(website, &QPushButton::clicked, this, &SupportWidget::on_OfficialWebsiteButton_clicked);
    connect(m_reports, &QCheckBox::toggled, this, &SupportWidget::analyticsChosen);
    connect(m_downloader, &FileDownloader::downloaded, this, &SupportWidget::slot_saveFile);
    connect(session->stateObject(), &DeviceState::changed, this, &SupportWidget::refresh);
    m_program->setText(QStringLiteral("%1: %2").arg(TextTable::text(kTextProgramVersion), QCoreApplication::applicationVersion()));
    refresh();
}

void SupportWidget::refresh()
{
    const DeviceState &state = m_session->state();
    m_modelCode = state.isOpen() ? state.modelCode() : 0;
    if (state.isOpen() && state.firmwareVersion() != -1)
        setVersionNumber(state.firmwareVersion());
    else if (!state.isOpen())
        m_firmware->setText(QStringLiteral("%1: %2").arg(TextTable::text(kTextFirmwareVersion), TextTable::text(kTextNoMouse)));
    m_checkFirmware->setEnabled(state.isOpen() && m_address.isEmpty() && !m_downloader->isRunning());
}

void SupportWidget::setAnalyticsState(const AnalyticsSettings &settings)
{
    const QSignalBlocker quiet(m_reports);
    m_reports->setChecked(settings.active());
    // Without an address, or turned off from outside, the box cannot turn reports on.
    m_reports->setEnabled(settings.active() || (!settings.forcedOff && !settings.endpoint.isEmpty()));
    if (settings.forcedOff)
        m_reportsWhere->setText(TextTable::text(kTextReportsForcedOff));
    else if (settings.endpoint.isEmpty())
        m_reportsWhere->setText(TextTable::text(kTextReportsNoAddress));
    else if (!settings.enabled)
        m_reportsWhere->setText(TextTable::text(kTextReportsOff));
    else
        m_reportsWhere->setText(TextTable::text(kTextReportsGoTo)
                                    .arg(settings.endpoint.toString(QUrl::RemoveUserInfo | QUrl::RemoveQuery)));
}

void SupportWidget::setVersionNumber(int versionNumber)
{
    m_firmware->setText(QStringLiteral("%1: %2%3").arg(TextTable::text(kTextFirmwareVersion), QStringLiteral("0.0."))
                            .arg(quint32(versionNumber)));
}

void SupportWidget::on_CheckUpdateButton_clicked()
{
    Q_EMIT sig_SendUIEventMessageToGA(QStringLiteral("Support"), QStringLiteral("CheckFirmware"), QString(), QString());
    if (!m_session->state().isOpen())
        return;
    m_checkFirmware->setEnabled(false);
    Q_EMIT sig_CheckLastFirmVersion(MouseType::modelName(m_modelCode));
}

void SupportWidget::slot_LastVersionRet(int rCode, QString rMsg, QString version, QString path, QString versionDate)
{
    qDebug() << "slot_LastVersionRet" << rCode << rMsg << version << path << versionDate;
    m_checkFirmware->setEnabled(true);
    m_address.clear();
    m_versionDate.clear();
    const int mine = m_session->state().firmwareVersion();
    qDebug() << "slot_LastVersionRet versionNumber" << mine;
    if (rCode != 0) {
        Q_EMIT sig_ShowWarningWidgetWithSpecifyMessageOnSupportWidget(toInt(Warning::NetworkError), rMsg);
        return;
    }
    bool ok = false;
    const int server = version.toInt(&ok);
    if (!ok || path.isEmpty() || server == mine) {
        Q_EMIT sig_ShowWarningWidgetOnSupportWidget(toInt(Warning::FirmwareUpToDate));
        return;
    }
    m_address = path;
    m_versionDate = versionDate;
    m_downloadModel = m_modelCode;
    Q_EMIT sig_ShowWarningWidgetOnSupportWidget(toInt(Warning::NewerFirmwareOnSupportPage));
}

void SupportWidget::slot_StartUpdateFirmWare()
{
    qDebug() << "slot_StartUpdateFirmWare" << m_address;
    if (m_address.isEmpty())
        return;
    m_checkFirmware->setEnabled(false);
    m_downloader->startDownlod(QUrl(m_address));
    Q_EMIT sig_ShowWarningWidgetOnSupportWidget(toInt(Warning::FirmwareDownloading));
}

void SupportWidget::slot_saveFile(bool ok)
{
    const int model = m_downloadModel;
    QString error = m_downloader->errorText();
    qDebug() << "slot_saveFile" << UpdateFolder::packageFile(UpdateFolder::Source::Clouds, model);
    const bool stored = ok && UpdateFolder::storeDownload(model, m_downloader->downloadedData(), m_versionDate, &error);
    if (stored)
        qDebug() << "slot_saveFile TRUE";
    else
        qDebug() << "slot_saveFile FAILED" << error;
    m_address.clear();
    refresh();
    Q_EMIT sig_closeUpdateWidget();
    if (stored)
        Q_EMIT sig_ShowUpdateWidget(false, false, model, false);
    else
        Q_EMIT sig_ShowWarningWidgetWithSpecifyMessageOnSupportWidget(toInt(Warning::NetworkError), error);
}

void SupportWidget::on_OfficialWebsiteButton_clicked()
{
    Q_EMIT sig_SendUIEventMessageToGA(QStringLiteral("Support"), QStringLiteral("WebSite"), QString(), QString());
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(WarningDialog::kWebSite)));
}

void SupportWidget::on_CheckSoftwareUpdateButton_clicked()
{
    Q_EMIT sig_SendUIEventMessageToGA(QStringLiteral("Support"), QStringLiteral("CheckSoftware"), QString(), QString());
    m_checkProgram->setEnabled(false);
    Q_EMIT sig_CheckSoftwareIsLastVersion();
}

void SupportWidget::slot_UpdateButtonEnable()
{
    m_checkProgram->setEnabled(true);
}
