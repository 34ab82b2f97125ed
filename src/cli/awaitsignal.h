#pragma once
// The command-line tool runs one request at a time: it starts it, then waits in an event loop
// for the answer.

#include <QEventLoop>
#include <QTimer>
#include <QVariantList>

namespace Cli {

// Runs the event loop until signal fires or timeoutMs passes; the signal's arguments, or an
// empty list after a time-out.
template <typename Object, typename Signal>
QVariantList awaitSignal(Object *object, Signal signal, int timeoutMs)
{
    QVariantList got;
    QEventLoop loop;
    QObject::connect(object, signal, &loop, [&](auto... values) {
        got = QVariantList{QVariant::fromValue(values)...};
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return got;
}

} // namespace Cli
