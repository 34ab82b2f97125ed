#include "ui/widgets/keycaptureedit.h"

#include "ui/keys/keymap.h"

#include <QDebug>
#include <QKeyEvent>

KeyCaptureEdit::KeyCaptureEdit(QWidget *parent) : QLineEdit(parent)
{
    setReadOnly(true);
    setAlignment(Qt::AlignCenter);
    setContextMenuPolicy(Qt::NoContextMenu);
}

bool KeyCaptureEdit::event(QEvent *event)
{
    // Tab and Backtab would move the focus before keyPressEvent sees them.
    if (event->type() == QEvent::KeyPress) {
        keyPressEvent(static_cast<QKeyEvent *>(event));
        return true;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void KeyCaptureEdit::keyPressEvent(QKeyEvent *event)
{
    const int vk = KeyMap::virtualKey(*event);
    qDebug("keyPressEvent 0x%x", unsigned(event->nativeVirtualKey() ? event->nativeVirtualKey() : unsigned(vk)));
    Q_EMIT keyCaptured(event->key(), vk, event->isAutoRepeat());
    event->accept();
}
