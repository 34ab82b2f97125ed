#include "ui/pages/cpiform.h"

#include "catalog/modelcatalog.h"
#include "common/texttable.h"
#include "ui/widgets/cpislider.h"
#include "ui/widgets/dpistep.h"
#include "ui/widgets/uspinbox.h"

#include <QCheckBox>
#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace {
constexpr int kTextStage = 433; // "DPI stage %1"
} // namespace

CPIForm::CPIForm(int stage, QWidget *parent) : QWidget(parent), m_stage(stage)
{
    setObjectName(QStringLiteral("CPIForm%1").arg(stage + 1));
    m_check = new QCheckBox(QString::number(stage + 1), this);
    m_check->setObjectName(QStringLiteral("CPICheckBox"));
    m_check->setAccessibleName(TextTable::text(kTextStage).arg(stage + 1));
    m_sliderBox = new QWidget(this);
    m_sliderBox->setObjectName(QStringLiteral("CPISliderBox"));
    auto *sliderGrid = new QGridLayout(m_sliderBox);
    sliderGrid->setContentsMargins(0, 0, 0, 0);
    sliderGrid->setHorizontalSpacing(0);
    sliderGrid->setVerticalSpacing(0);
    m_minLabel = new QLabel(m_sliderBox);
    m_midLabel = new QLabel(m_sliderBox);
    m_maxLabel = new QLabel(m_sliderBox);
    for (QLabel *l : {m_minLabel, m_midLabel, m_maxLabel})
        l->setProperty("role", QStringLiteral("scale"));
    m_minLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_midLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_maxLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    sliderGrid->addWidget(m_minLabel, 1, 0);
    sliderGrid->addWidget(m_midLabel, 1, 1);
    sliderGrid->addWidget(m_maxLabel, 1, 2);
    sliderGrid->setColumnStretch(0, 1);
    sliderGrid->setColumnStretch(1, 1);
    sliderGrid->setColumnStretch(2, 1);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    m_check->setFixedWidth(44);
    row->addWidget(m_check);
    row->addWidget(m_sliderBox, 1);
    connect(m_check, &QCheckBox::stateChanged, this, &CPIForm::on_CPICheckBox_stateChanged);
    connect(m_check, &QCheckBox::clicked, this, &CPIForm::on_CPICheckBox_clicked);
    setMouseType(0);
}

int CPIForm::fitValue(const DpiRange &range, int value)
{
    return DpiStep::snap(range, value);
}

void CPIForm::setMouseType(int code)
{
    if (code == m_mouseType && m_slider)
        return;
    m_mouseType = code;
    const Catalog::Model *model = Catalog::find(code);
    m_range = model ? model->dpi : Catalog::dpiRangeOf(code);
    m_stageDefault = model ? model->defaultStages[size_t(m_stage)] : m_range.minimum;
    const int middle = model && model->dpiMiddleLabel > 0 ? model->dpiMiddleLabel
                                                          : (m_range.minimum + m_range.maximum) / 2;
    build();
    showValue(m_stageDefault);
    m_minLabel->setText(QString::number(m_range.minimum));
    m_midLabel->setText(QString::number(middle));
    m_maxLabel->setText(QString::number(m_range.maximum));
}

void CPIForm::build()
{
    const int shown = m_spin ? m_spin->value() : m_range.minimum;
    delete m_slider;
    delete m_spin;
    const bool twoSteps = m_range.boundary > 0 && m_range.upperStep > 0;
    if (twoSteps) {
        m_slider = new TwoKindStepCPISlider(m_range, m_sliderBox);
        m_spin = new TwoKindsStepUSpinBox(m_range, this);
    } else {
        m_slider = new OneKindSingleStepCPISlider(m_range, m_sliderBox);
        m_spin = new OneKindStepUSpinBox(m_range, this);
    }
    m_slider->setAccessibleName(TextTable::text(kTextStage).arg(m_stage + 1));
    m_spin->setAccessibleText(TextTable::text(kTextStage).arg(m_stage + 1));
    m_spin->setFixedWidth(128);
    static_cast<QGridLayout *>(m_sliderBox->layout())->addWidget(m_slider, 0, 0, 1, 3);
    layout()->addWidget(m_spin);
    setTabOrder(m_check, m_slider);
    setTabOrder(m_slider, m_spin);

    connect(m_spin, &USpinBox::sig_SpinBoxValueChange, this, &CPIForm::slot_SetCPISliderValue);
    connect(m_spin, &USpinBox::sig_SpinBoxValueChange, this, &CPIForm::slot_ToSigCPISpinboxValue);
    connect(m_spin, &USpinBox::sig_CpiSliderChange, this, &CPIForm::sig_CpiSliderChange);
    connect(m_slider, &QSlider::valueChanged, this, &CPIForm::slot_SetCPISpinboxValue);
    connect(m_slider, &CPISlider::sig_SliderValueChange, this, &CPIForm::slot_ToSigCPISliderValue);
    connect(m_slider, &CPISlider::sig_CpiSliderChange, this, &CPIForm::sig_CpiSliderChange);
    showValue(shown);
    on_CPICheckBox_stateChanged(m_check->checkState());
}

void CPIForm::setChecked(bool checked)
{
    if (checked && !m_checkable)
        return;
    m_checked = checked;
    m_check->setChecked(checked);
}

void CPIForm::setCheckable(bool checkable)
{
    m_checkable = checkable;
    if (!checkable)
        setChecked(false);
    m_check->setEnabled(checkable);
}

void CPIForm::showValue(int value)
{
    const int v = fit(value);
    m_slider->blockSignals(true);
    m_slider->setValue(v);
    m_slider->blockSignals(false);
    m_spin->setValue(v);
}

int CPIForm::shownValue() const
{
    return m_spin->value();
}

int CPIForm::returnValue() const
{
    const int value = m_spin->value() < m_range.minimum ? m_stageDefault : m_spin->value();
    qDebug() << "CPIForm::returnValue" << m_stage << value;
    return fit(value);
}

void CPIForm::on_CPICheckBox_stateChanged(int state)
{
    const bool on = state == Qt::Checked;
    qDebug() << "CPIForm::setIsChangeable" << m_stage << on;
    m_slider->setEnabled(on);
    m_spin->setEnabled(on);
}

void CPIForm::on_CPICheckBox_clicked()
{
    qDebug() << "on_CPICheckBox_clicked" << m_stage << m_check->isChecked();
    if (!m_check->isChecked()) {
        // The page decides (the last enabled stage stays enabled) and marks the row.
        Q_EMIT sig_CheckIsLastOneCpi(m_stage, shownValue());
        return;
    }
    if (!m_checkable) {
        m_check->setChecked(false);
        return;
    }
    const int value = returnValue();
    showValue(value);
    m_checked = true;
    Q_EMIT sig_CurrentCPIValue(m_stage, value);
}

void CPIForm::slot_ToSigCPISliderValue(int value)
{
    Q_EMIT sig_CurrentCPIValue(m_stage, value);
}

void CPIForm::slot_ToSigCPISpinboxValue(int value)
{
    Q_EMIT sig_CurrentCPIValue(m_stage, value);
}

void CPIForm::slot_SetCPISliderValue(int value)
{
    m_slider->blockSignals(true);
    m_slider->setValue(value);
    m_slider->blockSignals(false);
}

void CPIForm::slot_SetCPISpinboxValue(int value)
{
    m_spin->setValue(value);
}
