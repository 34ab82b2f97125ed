#include "ui/widgets/uspinbox.h"

#include "common/texttable.h"
#include "ui/widgets/dpistep.h"

#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

namespace {
constexpr int kTextLowerDpi = 431;
constexpr int kTextRaiseDpi = 432;
} // namespace

USpinBox::USpinBox(const DpiRange &range, QWidget *parent) : QWidget(parent), m_range(range)
{
    setObjectName(QStringLiteral("USpinBox"));
    m_down = new QToolButton(this);
    m_down->setObjectName(QStringLiteral("DownButton"));
    m_down->setText(QStringLiteral("\u2212"));
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("SpinLineEdit"));
    m_edit->setValidator(new QIntValidator(0, 99999, m_edit));
    m_edit->setAlignment(Qt::AlignCenter);
    m_edit->installEventFilter(this);
    m_up = new QToolButton(this);
    m_up->setObjectName(QStringLiteral("UpButton"));
    m_up->setText(QStringLiteral("+"));
    for (QToolButton *b : {m_down, m_up}) {
        b->setFocusPolicy(Qt::NoFocus); // the field takes the arrow keys instead
        b->setAutoRepeat(false);
    }
    setAccessibleText(QString());
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    row->addWidget(m_down);
    row->addWidget(m_edit, 1);
    row->addWidget(m_up);
    setFocusProxy(m_edit);
    connect(m_up, &QToolButton::clicked, this, &USpinBox::slot_UpButtonClicked);
    connect(m_down, &QToolButton::clicked, this, &USpinBox::slot_DownButtonClicked);
    connect(m_edit, &QLineEdit::editingFinished, this, &USpinBox::slot_LineEditEditFinished);
    setValue(range.minimum);
}

void USpinBox::setAccessibleText(const QString &name)
{
    m_edit->setAccessibleName(name);
    m_down->setAccessibleName(TextTable::text(kTextLowerDpi));
    m_down->setToolTip(TextTable::text(kTextLowerDpi));
    m_up->setAccessibleName(TextTable::text(kTextRaiseDpi));
    m_up->setToolTip(TextTable::text(kTextRaiseDpi));
}

void USpinBox::setValue(int value)
{
    m_value = value;
    m_edit->setText(QString::number(value));
    m_edit->setModified(false);
}

void USpinBox::change(int value)
{
    setValue(value);
    Q_EMIT sig_SpinBoxValueChange(value);
    Q_EMIT sig_CpiSliderChange(false);
}

void USpinBox::slot_UpButtonClicked()
{
    if (isEnabled() && m_value < m_range.maximum)
        change(DpiStep::up(m_range, qMax(m_value, m_range.minimum)));
}

void USpinBox::slot_DownButtonClicked()
{
    if (isEnabled() && m_value > m_range.minimum)
        change(DpiStep::down(m_range, qMin(m_value, m_range.maximum)));
}

void USpinBox::slot_LineEditEditFinished()
{
    // Leaving the field without typing changes nothing; an emptied field shows the value again.
    if (!m_edit->isModified())
        return;
    bool ok = false;
    const int typed = m_edit->text().toInt(&ok);
    if (!ok) {
        setValue(m_value);
        return;
    }
    change(DpiStep::snap(m_range, typed));
}

bool USpinBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up) {
            slot_UpButtonClicked();
            return true;
        }
        if (key == Qt::Key_Down) {
            slot_DownButtonClicked();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

OneKindStepUSpinBox::OneKindStepUSpinBox(const DpiRange &range, QWidget *parent)
    : USpinBox(DpiRange{range.minimum, range.maximum, range.step}, parent)
{
}

TwoKindsStepUSpinBox::TwoKindsStepUSpinBox(const DpiRange &range, QWidget *parent)
    : USpinBox(range, parent)
{
}
