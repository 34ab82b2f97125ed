#include "ui/widgets/mypushbutton.h"

#include "common/texttable.h"
#include "ui/keys/functionnames.h"

#include <QDebug>
#include <QStyle>

namespace {
constexpr int kTextLeft = 434;
constexpr int kTextRight = 435;
constexpr int kTextWheel = 436;
constexpr int kTextForward = 437;
constexpr int kTextBack = 438;
constexpr int kTextSide = 439;        // "Side %1"
constexpr int kTextFactory = 440;     // tool tip: factory function
constexpr int kTextAssignment = 441;  // tool tip: "%1: %2"
} // namespace

MyPushButton::MyPushButton(int button, int mouseType, QWidget *parent)
    : QPushButton(buttonName(button), parent), m_button(button), m_mouseType(mouseType)
{
    setObjectName(QStringLiteral("MouseButton%1").arg(button));
    setCursor(Qt::PointingHandCursor);
    setMouseButtonStyleSheetIsOriginal(true);
    connect(this, &QPushButton::clicked, this, &MyPushButton::slot_SendShowKeySettingMessage);
}

QString MyPushButton::buttonName(int button)
{
    switch (button) {
    case 4: return TextTable::text(kTextLeft);
    case 5: return TextTable::text(kTextWheel);
    case 6: return TextTable::text(kTextRight);
    case 7: return TextTable::text(kTextForward);
    case 8: return TextTable::text(kTextBack);
    case 13: return QStringLiteral("CPI+");
    case 14: return QStringLiteral("CPI-");
    case 17: return QStringLiteral("CPI");
    default: return TextTable::text(kTextSide).arg(button < 13 ? button - 6 : button - 8);
    }
}

void MyPushButton::setMouseButtonStyleSheetIsOriginal(bool state)
{
    qDebug() << "setMouseButtonStyleSheetIsOriginal" << state << m_button;
    m_original = state;
    m_changeType = m_trueValue = m_modifyKeyValue = -1;
    // The look is in the page's style sheet, chosen by this property.
    setProperty("original", state);
    style()->unpolish(this);
    style()->polish(this);
    updateToolTip();
}

void MyPushButton::setButtonTrueValue(int changeType, int buttonTrueValue, int modifyKeyValue)
{
    qDebug() << "setButtonTrueValue changeType buttonTrueValue modifyKeyValue" << changeType
             << buttonTrueValue << modifyKeyValue;
    if (m_original)
        return;
    m_changeType = changeType;
    m_trueValue = buttonTrueValue;
    m_modifyKeyValue = modifyKeyValue;
    updateToolTip();
}

void MyPushButton::updateToolTip()
{
    const QString what = m_original ? TextTable::text(kTextFactory)
                                    : FunctionNames::assignmentText(m_changeType, m_trueValue, m_modifyKeyValue);
    setToolTip(what.isEmpty() ? text() : TextTable::text(kTextAssignment).arg(text(), what));
    setAccessibleDescription(what);
}

void MyPushButton::slot_SendShowKeySettingMessage()
{
    if (m_original)
        Q_EMIT sig_ShowKeySettingDialog(m_button, -1, -1, -1);
    else
        Q_EMIT sig_ShowKeySettingDialog(m_button, m_changeType, m_trueValue, m_modifyKeyValue);
}

void MyPushButton::enterEvent(QEvent *event)
{
    QPushButton::enterEvent(event);
    Q_EMIT sig_ShowMouseLeftLabel(true, m_button);
}

void MyPushButton::leaveEvent(QEvent *event)
{
    QPushButton::leaveEvent(event);
    Q_EMIT sig_ShowMouseLeftLabel(false, m_button);
}
