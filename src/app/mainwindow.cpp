#include "mainwindow.h"

#include "texttable.h"

#include <QCoreApplication>
#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
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

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(titleBar);
    layout->addWidget(m_status, 1);
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
