#pragma once
// The DPI row's spin box: a line edit between a down and an up button. Typing settles on the
// row's steps when the edit is finished (Enter or leaving the field); the buttons move one step.
// Every change the user makes is shown and reported once.

#include "common/dpirange.h"

#include <QWidget>

class QLineEdit;
class QToolButton;

class USpinBox : public QWidget
{
    Q_OBJECT
public:
    explicit USpinBox(const DpiRange &range, QWidget *parent = nullptr);
    const DpiRange &range() const { return m_range; }
    int value() const { return m_value; }
    // Shows value without reporting it.
    void setValue(int value);
    QLineEdit *lineEdit() const { return m_edit; }
    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }
    // The accessible name of the field; the buttons get it with their own words.
    void setAccessibleText(const QString &name);

Q_SIGNALS:
    void sig_SpinBoxValueChange(int value);
    void sig_CpiSliderChange(bool type);

public Q_SLOTS:
    void slot_UpButtonClicked();
    void slot_DownButtonClicked();
    void slot_LineEditEditFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void change(int value);

    DpiRange m_range;
    int m_value = 0;
    QLineEdit *m_edit = nullptr;
    QToolButton *m_up = nullptr;
    QToolButton *m_down = nullptr;
};

// One step size over the whole range.
class OneKindStepUSpinBox : public USpinBox
{
    Q_OBJECT
public:
    // The range's boundary and upper step, if any, are left out.
    explicit OneKindStepUSpinBox(const DpiRange &range, QWidget *parent = nullptr);
};

// A lower step below the range's boundary and an upper step from it on.
class TwoKindsStepUSpinBox : public USpinBox
{
    Q_OBJECT
public:
    explicit TwoKindsStepUSpinBox(const DpiRange &range, QWidget *parent = nullptr);
};
