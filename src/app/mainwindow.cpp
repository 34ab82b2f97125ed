#include "app/mainwindow.h"

#include "device/watcher/checkdevice.h"
#include "session/devicesession.h"
#include "common/mousetype.h"
#include "device/watcher/producttable.h"
#include "common/texttable.h"

#include <QCoreApplication>
#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

MainWindow::MainWindow(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("QKDriver"));
    setWindowFlags(Qt::FramelessWindowHint | Qt::Window);
    setFixedSize(960, 640);
    setAttribute(Qt::WA_StyledBackground, true);

    auto *titleBar = new QWidget(this);
    titleBar->setObjectName(QStringLiteral("TitleBar"));
    titleBar->setFixedHeight(48);
    auto *title = new QLabel(QStringLiteral("QKDriver"), titleBar);
    title->setObjectName(QStringLiteral("TitleLabel"));
    auto *minimumButton = new QPushButton(QStringLiteral("\u2013"), titleBar);
    minimumButton->setObjectName(QStringLiteral("minimumButton"));
    auto *quitButton = new QPushButton(QStringLiteral("\u2715"), titleBar);
    quitButton->setObjectName(QStringLiteral("quitButton"));
    auto *bar = new QHBoxLayout(titleBar);
    bar->setContentsMargins(16, 0, 8, 0);
    bar->addWidget(title);
    bar->addStretch();
    bar->addWidget(minimumButton);
    bar->addWidget(quitButton);
    connect(minimumButton, &QPushButton::clicked, this, &QWidget::showMinimized);
    connect(quitButton, &QPushButton::clicked, this, &MainWindow::QuitTheApplication);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusLabel"));
    m_status->setAlignment(Qt::AlignCenter);
    m_status->setText(tr("Connect a supported mouse or its receiver."));

    m_history = new QLabel(this);
    m_history->setObjectName(QStringLiteral("DeviceHistoryLabel"));
    m_history->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(titleBar);
    layout->addWidget(m_status, 1);
    layout->addWidget(m_history, 1);

    // The watcher and the coordinator on their own threads, wired as everywhere else; a mouse
    // that is found is opened and its profile read, and what it holds is shown here.
    m_session = std::make_unique<DeviceSession>();
    connect(m_session->watcher(), &CheckDevice::sigFound, this, &MainWindow::slot_WarningDeviceNotInsert);
    connect(m_session->watcher(), &CheckDevice::sigBlootDescriptor, this,
            &MainWindow::slot_SetKelvoMouseBooltDescriptor);
    connect(&m_session->state(), &DeviceState::changed, this, &MainWindow::showSummary);
    connect(m_session->coordinator(), &DCDataHandle::sig_OpenDeviceResult, this, [this](bool ok) {
        m_openFailed = !ok;
        showSummary();
    });
    m_session->start();
}

MainWindow::~MainWindow() = default;

QString MainWindow::deviceSummary() const
{
    const DeviceState &state = m_session->state();
    if (!state.isOpen())
        return m_openFailed ? tr("The mouse could not be opened.") : QString();
    QString device = tr("%1 by %2").arg(MouseType::modelName(state.modelCode()),
                                         state.isWireless() ? tr("2.4 GHz receiver") : tr("cable"));
    if (state.firmwareVersion() != -1) // a 32-bit word, not a signed number
        device += tr(", firmware %1").arg(quint32(state.firmwareVersion()));
    QStringList stages;
    for (DWORD v : state.dpiStages())
        if (v)
            stages << QString::number(v);
    QString profile = tr("DPI %1").arg(stages.join(QStringLiteral(" · ")));
    static const int hz[] = {125, 250, 500, 1000};
    if (state.reportRate() >= 0 && state.reportRate() < 4)
        profile += tr(",  %1 Hz").arg(hz[state.reportRate()]);
    return device + QLatin1Char('\n') + profile;
}

void MainWindow::showSummary()
{
    const QString summary = deviceSummary();
    if (!summary.isEmpty())
        m_status->setText(summary);
}

void MainWindow::slot_WarningDeviceNotInsert(bool isfind, uint Pid, uint Vid)
{
    qDebug() << "slot_WarningDeviceNotInsert";
    qDebug().noquote() << QString::asprintf("vid %x, pid %x ", Vid, Pid);
    qDebug() << "=======================";
    const QString id = QStringLiteral("0x%1").arg(Pid, 4, 16, QLatin1Char('0'));
    QString model;
    if (Pid == ProductTable::kFalconBootProductId || Pid == ProductTable::kLoaderProductId) {
        // Model 0 is a loader the watcher could not place; its folder name ("osprey") would
        // name another model.
        const QString family = Pid == ProductTable::kFalconBootProductId ? QStringLiteral("falcon-family")
                                                                         : QStringLiteral("osprey-family");
        model = tr("%1 boot loader").arg(m_bootType ? MouseType::modelName(m_bootType) : family);
    }
    else
        model = MouseType::modelName(ProductTable::mouseTypeOf(int(Pid)));
    if (ProductTable::isReceiverId(int(Pid)))
        model += tr(" receiver");
    if (isfind) {
        m_status->setText(tr("Found %1 (product id %2)").arg(model, id));
        addDeviceEvent(tr("found %1 %2").arg(id, model));
    } else {
        m_openFailed = false;
        m_status->setText(tr("Connect a supported mouse or its receiver."));
        addDeviceEvent(tr("lost %1 %2").arg(id, model));
    }
}

void MainWindow::slot_SetKelvoMouseBooltDescriptor(int type)
{
    m_bootType = type;
}

void MainWindow::addDeviceEvent(const QString &line)
{
    m_events.append(line);
    while (m_events.size() > 8)
        m_events.removeFirst();
    m_history->setText(m_events.join(QLatin1Char('\n')));
}

void MainWindow::bringToFront()
{
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    show();
    setWindowFlags(windowFlags() & ~Qt::WindowStaysOnTopHint);
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::slotMessageReceived(const QString &message)
{
    qDebug() << "slotMessageReceived" << message;
    bringToFront();
    if (message == QCoreApplication::applicationFilePath())
        return;
    auto *box = new QMessageBox(QMessageBox::Warning, TextTable::text(343), TextTable::text(342),
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void MainWindow::mousePressEvent(QMouseEvent *event)
{
    // Frameless: the top strip drags the window.
    if (event->button() == Qt::LeftButton && event->pos().y() < 48) {
        m_dragging = true;
        m_dragOffset = event->globalPos() - frameGeometry().topLeft();
    }
    QWidget::mousePressEvent(event);
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        move(event->globalPos() - m_dragOffset);
    else
        m_dragging = false;
    QWidget::mouseMoveEvent(event);
}
