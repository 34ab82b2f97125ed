#pragma once
// One physical mouse button on the main page's mouse picture. It shows the button's name, is
// drawn plain while the button holds its factory function and highlighted once it was changed,
// keeps the assignment the mouse last reported for it (all -1 while it holds the factory
// function), and asks for the button dialog when clicked.

#include <QPushButton>

class MyPushButton : public QPushButton
{
    Q_OBJECT
public:
    MyPushButton(int button, int mouseType, QWidget *parent = nullptr);

    int button() const { return m_button; }
    int mouseType() const { return m_mouseType; }
    bool isOriginal() const { return m_original; }
    int changeType() const { return m_changeType; }
    int trueValue() const { return m_trueValue; }
    int modifyKeyValue() const { return m_modifyKeyValue; }

    // The assignment the mouse reports for this button (ignored while it holds its factory
    // function).
    void setButtonTrueValue(int changeType, int buttonTrueValue, int modifyKeyValue);

    // The physical name of a button id on the main page (the DPI buttons by their literals).
    static QString buttonName(int button);

Q_SIGNALS:
    void sig_ShowKeySettingDialog(int button, int changeType, int trueMouseValue, int modifyKeyValue);
    void sig_ShowMouseLeftLabel(bool state, int button);

public Q_SLOTS:
    void setMouseButtonStyleSheetIsOriginal(bool state);
    void slot_SendShowKeySettingMessage();

protected:
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void updateToolTip();

    int m_button;
    int m_mouseType;
    bool m_original = true;
    int m_changeType = -1;
    int m_trueValue = -1;
    int m_modifyKeyValue = -1;
};
