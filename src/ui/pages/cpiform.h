#pragma once
// One DPI stage row of the main page: the enable check box with the stage number, the slider
// with its three scale labels and the spin box, of the kind and range of the current model.

#include "common/dpirange.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class CPISlider;
class USpinBox;

class CPIForm : public QWidget
{
    Q_OBJECT
public:
    explicit CPIForm(int stage, QWidget *parent = nullptr);

    int stage() const { return m_stage; }
    int mouseType() const { return m_mouseType; }
    // Rebuilds the slider and spin box for a model (its range, kind, scale labels and stage
    // defaults); an unknown code gets the smallest range. The row keeps its checked state.
    void setMouseType(int code);
    const DpiRange &range() const { return m_range; }

    bool isChecked() const { return m_checked; }
    // The checked state can only become true while the row is checkable.
    void setChecked(bool checked);
    bool isCheckable() const { return m_checkable; }
    void setCheckable(bool checkable);

    // A value as the row can hold it: into the range and onto a step.
    int fit(int value) const { return fitValue(m_range, value); }
    static int fitValue(const DpiRange &range, int value);
    // Shows value (fitted) on slider and spin box without reporting it.
    void showValue(int value);
    int shownValue() const;
    // The value the row stands for: the shown value, or the stage default when the shown value
    // is below the row's minimum (a row never set).
    int returnValue() const;

    CPISlider *slider() const { return m_slider; }
    USpinBox *spinBox() const { return m_spin; }
    QCheckBox *checkBox() const { return m_check; }

Q_SIGNALS:
    void sig_CurrentCPIValue(int level, int value);
    void sig_CheckIsLastOneCpi(int level, int value);
    void sig_CpiSliderChange(bool type);

public Q_SLOTS:
    void on_CPICheckBox_stateChanged(int state);
    void on_CPICheckBox_clicked();
    void slot_ToSigCPISliderValue(int value);
    void slot_ToSigCPISpinboxValue(int value);
    void slot_SetCPISliderValue(int value);
    void slot_SetCPISpinboxValue(int value);

private:
    void build();

    int m_stage = 0;
    int m_mouseType = -1;
    DpiRange m_range;
    int m_stageDefault = 200;
    bool m_checked = false;
    bool m_checkable = true;
    QCheckBox *m_check = nullptr;
    CPISlider *m_slider = nullptr;
    USpinBox *m_spin = nullptr;
    QLabel *m_minLabel = nullptr;
    QLabel *m_midLabel = nullptr;
    QLabel *m_maxLabel = nullptr;
    QWidget *m_sliderBox = nullptr;
};
