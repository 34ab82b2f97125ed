#pragma once
// A read-only field that takes every key pressed while it has the focus (Tab, Enter and Esc
// included) and reports it with its virtual-key code (ui/keys/keymap.h) instead of typing it.

#include <QLineEdit>

class KeyCaptureEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit KeyCaptureEdit(QWidget *parent = nullptr);

Q_SIGNALS:
    // virtualKey: 0 for a key without a code.
    void keyCaptured(int qtKey, int virtualKey, bool autoRepeat);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
