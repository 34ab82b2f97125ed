#pragma once
// The sliders of the main page: MoveSlider (the system pointer speed) and the DPI row sliders
// (CPISlider with its one-step and two-step kinds).

#include "common/dpirange.h"

#include <QSlider>

// A plain horizontal slider of a fixed size that reports its value once the user lets go
// (mouse release of the left or middle button, or key release), when the value lies in 1..20.
class MoveSlider : public QSlider
{
    Q_OBJECT
public:
    MoveSlider(int minimum, int maximum, const QSize &size, QWidget *parent = nullptr);

Q_SIGNALS:
    void sig_ValueChange(int value);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void report();
};

// A DPI row's slider. A left press jumps to the pointer and dragging follows it; the release
// settles on a step and reports the value. The arrow, page and Home/End keys move by one step,
// ten steps and to the ends, and report at once. The wheel does nothing (a row must not change
// while the page scrolls past it).
class CPISlider : public QSlider
{
    Q_OBJECT
public:
    explicit CPISlider(const DpiRange &range, QWidget *parent = nullptr);
    const DpiRange &range() const { return m_range; }
    // The value the pointer at x (widget coordinates) points to: the groove from the handle's
    // centre at the left end to its centre at the right end spans the range; outside it the ends.
    int valueAt(int x) const;
    // The value a released drag settles on: in range, on the kind's step.
    int snap(int value) const;

Q_SIGNALS:
    void sig_SliderValueChange(int value);
    void sig_IsMovingSlider(bool state);
    void sig_CpiSliderChange(bool state);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void settle(int value);

    DpiRange m_range;
    bool m_dragging = false;
};

// One step size over the whole range.
class OneKindSingleStepCPISlider : public CPISlider
{
    Q_OBJECT
public:
    // The range's boundary and upper step, if any, are left out.
    explicit OneKindSingleStepCPISlider(const DpiRange &range, QWidget *parent = nullptr);
};

// A lower step below the range's boundary and an upper step from it on.
class TwoKindStepCPISlider : public CPISlider
{
    Q_OBJECT
public:
    explicit TwoKindStepCPISlider(const DpiRange &range, QWidget *parent = nullptr);
};
