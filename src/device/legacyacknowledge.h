#pragma once

#include "model/keyboarddata.h"

#include <QMetaObject>
#include <QPointer>
#include <QThread>

namespace LegacyHIDManager {

// Only the model's own thread touches the model: a saver on a worker posts the news that a
// key or a layer's lighting reached the keypad, and the model clears the flag only if nothing
// was edited since the snapshot the saver worked from.
inline void acknowledgeKey(const QPointer<KeyboardData> &model, int layer, int key,
                           quint32 revision)
{
    KeyboardData *target = model.data();
    if (!target)
        return;
    if (QThread::currentThread() == target->thread()) {
        target->acknowledgeKeySaved(layer, key, revision);
        return;
    }
    QMetaObject::invokeMethod(
        target, [target, layer, key, revision] { target->acknowledgeKeySaved(layer, key, revision); },
        Qt::QueuedConnection);
}

inline void acknowledgeLed(const QPointer<KeyboardData> &model, int layer, quint32 revision)
{
    KeyboardData *target = model.data();
    if (!target)
        return;
    if (QThread::currentThread() == target->thread()) {
        target->acknowledgeLedSaved(layer, revision);
        return;
    }
    QMetaObject::invokeMethod(
        target, [target, layer, revision] { target->acknowledgeLedSaved(layer, revision); },
        Qt::QueuedConnection);
}

} // namespace LegacyHIDManager
