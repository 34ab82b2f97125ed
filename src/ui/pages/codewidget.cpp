#include "ui/pages/codewidget.h"

#include "common/texttable.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
// Text numbers.
constexpr int kPair = 65;
constexpr int kExit = 106;
constexpr int kFirstStep = 107; // 107 to 111: the five instructions
constexpr int kStepCount = 5;
constexpr int kStepsBeforePairing = 3; // receiver in, mouse off, press Pair
constexpr int kTitle = 422;
constexpr int kWaiting = 423;

// The form's own captions, replaced by the text table in initText().
const char *const kFormSteps[kStepCount] = {
    "将接收器插入电脑", "关闭鼠标电源开关", "点击下方的“配对”按钮", "打开鼠标电源开关", "请同时按下左、中、右三键",
};

const QString &category()
{
    static const QString c = QStringLiteral("UI事件");
    return c;
}
} // namespace

CodeWidget::CodeWidget(DeviceSession *session, QWidget *parent)
    : QWidget(parent), m_session(session), m_stack(new QStackedWidget(this))
{
    setObjectName(QStringLiteral("CodeWidget"));
    setAttribute(Qt::WA_StyledBackground);
    m_stack->setObjectName(QStringLiteral("stackedWidget"));

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("CodeTitle"));
    m_title->setProperty("role", QStringLiteral("title"));
    m_title->setAlignment(Qt::AlignCenter);

    // One numbered row per instruction; the first three before pairing, the others during it.
    auto stepList = [this](QWidget *page, int first, int count) {
        auto *grid = new QGridLayout;
        grid->setHorizontalSpacing(16);
        grid->setVerticalSpacing(16);
        grid->setColumnStretch(1, 1);
        for (int i = first; i < first + count; ++i) {
            auto *number = new QLabel(QString::number(i + 1), page);
            number->setObjectName(QStringLiteral("StepNumber"));
            number->setAlignment(Qt::AlignCenter);
            number->setFixedSize(28, 28);
            auto *text = new QLabel(QString::fromUtf8(kFormSteps[i]), page);
            text->setObjectName(QStringLiteral("label_%1").arg(i + 1));
            text->setWordWrap(true);
            grid->addWidget(number, i - first, 0, Qt::AlignTop);
            grid->addWidget(text, i - first, 1);
            m_steps << text;
        }
        return grid;
    };

    auto *instructions = new QWidget;
    instructions->setObjectName(QStringLiteral("InstructionsPage"));
    m_code = new QPushButton(instructions);
    m_code->setObjectName(QStringLiteral("pushButton_code"));
    m_code->setProperty("role", QStringLiteral("primary"));
    m_stopCode3 = new QPushButton(instructions);
    m_stopCode3->setObjectName(QStringLiteral("pushButton_stopCode_3"));
    auto *firstButtons = new QHBoxLayout;
    firstButtons->setSpacing(8);
    firstButtons->addStretch();
    firstButtons->addWidget(m_stopCode3);
    firstButtons->addWidget(m_code);
    auto *firstBox = new QVBoxLayout(instructions);
    firstBox->setContentsMargins(0, 0, 0, 0);
    firstBox->setSpacing(24);
    firstBox->addLayout(stepList(instructions, 0, kStepsBeforePairing));
    firstBox->addStretch(1);
    firstBox->addLayout(firstButtons);

    auto *pairingPage = new QWidget;
    pairingPage->setObjectName(QStringLiteral("PairingPage"));
    m_waiting = new QLabel(pairingPage);
    m_waiting->setObjectName(QStringLiteral("WaitingLabel"));
    m_waiting->setProperty("role", QStringLiteral("secondary"));
    m_busy = new QProgressBar(pairingPage);
    m_busy->setObjectName(QStringLiteral("PairingBusy"));
    m_busy->setRange(0, 0); // the receiver does not say how far it is
    m_busy->setTextVisible(false);
    m_stopCode = new QPushButton(pairingPage);
    m_stopCode->setObjectName(QStringLiteral("pushButton_stopCode"));
    auto *secondButtons = new QHBoxLayout;
    secondButtons->addStretch();
    secondButtons->addWidget(m_stopCode);
    auto *secondBox = new QVBoxLayout(pairingPage);
    secondBox->setContentsMargins(0, 0, 0, 0);
    secondBox->setSpacing(24);
    secondBox->addLayout(stepList(pairingPage, kStepsBeforePairing, kStepCount - kStepsBeforePairing));
    auto *waitBox = new QVBoxLayout;
    waitBox->setSpacing(8);
    waitBox->addWidget(m_waiting);
    waitBox->addWidget(m_busy);
    secondBox->addLayout(waitBox);
    secondBox->addStretch();
    secondBox->addLayout(secondButtons);

    m_stack->addWidget(instructions);
    m_stack->addWidget(pairingPage);

    // A card in the middle of the black page.
    auto *card = new QFrame(this);
    card->setObjectName(QStringLiteral("CodeCard"));
    card->setProperty("role", QStringLiteral("card"));
    card->setFixedWidth(560);
    auto *cardBox = new QVBoxLayout(card);
    cardBox->setContentsMargins(24, 24, 24, 24);
    cardBox->setSpacing(24);
    cardBox->addWidget(m_title);
    cardBox->addWidget(m_stack, 1);

    auto *root = new QGridLayout(this);
    root->setContentsMargins(16, 16, 16, 16);
    root->addWidget(card, 1, 1);
    root->setRowStretch(0, 1);
    root->setRowStretch(2, 1);
    root->setColumnStretch(0, 1);
    root->setColumnStretch(2, 1);

    for (QPushButton *b : {m_code, m_stopCode, m_stopCode3})
        b->setMinimumWidth(128);

    connect(m_code, &QPushButton::clicked, this, &CodeWidget::on_pushButton_code_clicked);
    connect(m_stopCode, &QPushButton::clicked, this, &CodeWidget::on_pushButton_stopCode_clicked);
    connect(m_stopCode3, &QPushButton::clicked, this, &CodeWidget::on_pushButton_stopCode_3_clicked);
    if (m_session) {
        connect(m_session, &DeviceSession::requestFinished, this, &CodeWidget::onRequestFinished);
        connect(m_session, &DeviceSession::pairingFinished, this, &CodeWidget::onPairingFinished);
    }
    initText();
    showPage(InstructionsPage);
}

void CodeWidget::initText()
{
    for (int i = 0; i < m_steps.size(); ++i)
        m_steps.at(i)->setText(TextTable::text(kFirstStep + i));
    m_title->setText(TextTable::text(kTitle));
    m_waiting->setText(TextTable::text(kWaiting));
    m_code->setText(TextTable::text(kPair));
    m_stopCode->setText(TextTable::text(kExit));
    m_stopCode3->setText(TextTable::text(kExit));
}

int CodeWidget::currentPage() const
{
    return m_stack->currentIndex();
}

void CodeWidget::showPage(Page page)
{
    m_stack->setCurrentIndex(page);
    m_code->setEnabled(m_startRequest == 0);
    if (page == PairingPage)
        m_stopCode->setFocus();
}

void CodeWidget::on_pushButton_code_clicked()
{
    const QString action = TextTable::text(kPair);
    Q_EMIT sig_SendUIEventMessageToGA(category(), action, action, objectName());
    Q_EMIT sig_startCode();
    slot_startCode();
}

void CodeWidget::on_pushButton_stopCode_3_clicked()
{
    const QString action = TextTable::text(kExit);
    Q_EMIT sig_SendUIEventMessageToGA(category(), action, action, objectName());
    slot_stopCode();
    Q_EMIT sig_stopCode();
}

void CodeWidget::on_pushButton_stopCode_clicked()
{
    slot_stopCode();
    Q_EMIT sig_stopCode();
}

void CodeWidget::slot_startCode()
{
    // One run at a time: a second press while the first start is on its way does nothing.
    if (!m_session || m_startRequest != 0 || m_pairing)
        return;
    m_startRequest = m_session->startPairing();
    m_code->setEnabled(false);
}

void CodeWidget::slot_stopCode()
{
    if (m_session && (m_pairing || m_startRequest != 0))
        m_session->stopPairing(); // queued after a start on its way, so it ends that run too
    m_pairing = false;
    m_startRequest = 0; // the outcome of an abandoned start is not waited for
    showPage(InstructionsPage);
}

void CodeWidget::onRequestFinished(quint64 id, const RequestOutcome &outcome)
{
    if (id != m_startRequest)
        return;
    m_startRequest = 0;
    m_pairing = outcome.ok;
    showPage(outcome.ok ? PairingPage : InstructionsPage);
    Q_EMIT sig_codeStarted(outcome.ok);
}

void CodeWidget::onPairingFinished(bool paired)
{
    if (!m_pairing)
        return; // a run this page did not start, or one it abandoned
    m_pairing = false;
    showPage(InstructionsPage);
    Q_EMIT sig_codeFinished(paired);
}
