#include "ui/dialogs/needdevicedialog.h"

#include "common/texttable.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

NeedDeviceDialog::NeedDeviceDialog(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("NeedDeviceDialog"));
    setAttribute(Qt::WA_StyledBackground, true);
    // The layer over the window: what is behind it stays visible but dimmed.
    setStyleSheet(QStringLiteral("QWidget#NeedDeviceDialog { background: rgba(0,0,0,0.8); }"));

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("NeedDevicePanel"));
    panel->setProperty("role", QStringLiteral("card"));
    panel->setFixedWidth(480);

    auto *title = new QLabel(TextTable::text(252), panel);
    title->setObjectName(QStringLiteral("TitleLabel"));
    title->setProperty("role", QStringLiteral("title"));
    title->setAlignment(Qt::AlignCenter);
    auto *message = new QLabel(TextTable::text(253), panel);
    message->setObjectName(QStringLiteral("MessageLabel"));
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignCenter);
    m_hint = new QLabel(panel);
    m_hint->setObjectName(QStringLiteral("HintLabel"));
    m_hint->setProperty("role", QStringLiteral("secondary"));
    m_hint->setWordWrap(true);
    m_hint->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_hint->hide();

    auto *ok = new QPushButton(TextTable::text(201), panel);
    ok->setObjectName(QStringLiteral("OkButton"));
    m_repair = new QPushButton(TextTable::text(202), panel);
    m_repair->setObjectName(QStringLiteral("FirmwareRepairPushButton"));
    m_repair->setProperty("role", QStringLiteral("primary"));
    m_repair->hide();
    connect(ok, &QPushButton::clicked, this, &NeedDeviceDialog::on_OkButton_clicked);
    connect(m_repair, &QPushButton::clicked, this, &NeedDeviceDialog::on_FirmwareRepairPushButton_clicked);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(m_repair);
    buttons->addStretch();

    auto *box = new QVBoxLayout(panel);
    box->setContentsMargins(24, 24, 24, 24);
    box->setSpacing(16);
    box->addWidget(title);
    box->addWidget(message);
    box->addWidget(m_hint);
    box->addLayout(buttons);

    // Word-wrapped labels are given the height their text needs at the panel's width.
    const int textWidth = panel->width() - 48;
    message->setMinimumHeight(message->heightForWidth(textWidth));
    m_hint->setProperty("textWidth", textWidth);

    auto *outer = new QVBoxLayout(this);
    outer->addStretch();
    outer->addWidget(panel, 0, Qt::AlignHCenter);
    outer->addStretch();

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setInterval(kRepairDelayMs);
    connect(m_timer, &QTimer::timeout, this, &NeedDeviceDialog::slot_TimeOut);
}

void NeedDeviceDialog::setHint(const QString &hint)
{
    m_hint->setText(hint);
    m_hint->setMinimumHeight(hint.isEmpty() ? 0 : m_hint->heightForWidth(m_hint->property("textWidth").toInt()));
    m_hint->setVisible(!hint.isEmpty());
}

QString NeedDeviceDialog::hint() const
{
    return m_hint->text();
}

bool NeedDeviceDialog::repairOffered() const
{
    return m_repair->isVisibleTo(this);
}

void NeedDeviceDialog::on_OkButton_clicked()
{
    Q_EMIT sig_closeWindow();
}

void NeedDeviceDialog::on_FirmwareRepairPushButton_clicked()
{
    Q_EMIT sig_ShowUpdateWidget(true, true, 0, false);
}

void NeedDeviceDialog::slot_TimeOut()
{
    m_repair->show();
}

void NeedDeviceDialog::showEvent(QShowEvent *event)
{
    m_repair->hide();
    m_timer->start();
    raise();
    findChild<QPushButton *>(QStringLiteral("OkButton"))->setFocus();
    QWidget::showEvent(event);
}

void NeedDeviceDialog::hideEvent(QHideEvent *event)
{
    m_timer->stop();
    m_repair->hide();
    QWidget::hideEvent(event);
}
