#pragma once
// The arguments of the next emission of a request's answer signal, or an empty list when none
// comes within the time limit (network requests answer in real time).

#include <QSignalSpy>
#include <QVariantList>

template <typename Signal, typename Object>
QVariantList answer(Object *object, Signal signal, int timeoutMs = 20000)
{
    QSignalSpy spy(object, signal);
    if (!spy.wait(timeoutMs) || spy.isEmpty())
        return {};
    return spy.first();
}
