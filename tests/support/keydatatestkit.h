#pragma once

// Builders of key functions, a dirty-slot count and a log of the model's signals shared by the
// keyboard model tests.

#include "device/keyrecord.h"
#include "model/keyboarddata.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

namespace keydatatest {

// Records the model's four signals in one ordered list ("B3:text", "F3:text", "S-1", "E:msg")
// so that a test sees order and count at once.
class SignalLog
{
public:
    explicit SignalLog(KeyboardData &m)
    {
        QObject::connect(&m, &KeyboardData::keyButtonTextChanged, &m,
                         [this](int k, const QString &t) { lines << QStringLiteral("B%1:%2").arg(k).arg(t); });
        QObject::connect(&m, &KeyboardData::keyFullTextChanged, &m,
                         [this](int k, const QString &t) { lines << QStringLiteral("F%1:%2").arg(k).arg(t); });
        QObject::connect(&m, &KeyboardData::selectedKeyChanged, &m,
                         [this](int k) { lines << QStringLiteral("S%1").arg(k); });
        QObject::connect(&m, &KeyboardData::error, &m,
                         [this](const QString &t) { lines << QStringLiteral("E:%1").arg(t); });
    }
    QStringList take()
    {
        QStringList out = lines;
        lines.clear();
        return out;
    }
    QStringList lines;
};

inline MacroStepData st(quint8 action, quint8 usage, quint16 delay)
{
    MacroStepData s;
    s.action = action;
    s.keyCode = usage;
    s.delayMs = delay;
    return s;
}

// What a key record read back from a keypad holds; an empty record is an unassigned key.
inline KeyData decoded(const QByteArray &record)
{
    KeyData k;
    if (!record.isEmpty())
        KeyRecord::decode(reinterpret_cast<const unsigned char *>(record.constData()), record.size(), k);
    return k;
}

inline KeyData basic(quint8 usage)
{
    KeyData k;
    k.setBasicKey(usage);
    return k;
}
inline KeyData combo(quint8 mods, const QByteArray &keys)
{
    KeyData k;
    k.setCombination(mods, keys);
    return k;
}
inline KeyData macro(const QVector<MacroStepData> &s)
{
    KeyData k;
    k.setMacro(s);
    return k;
}
inline KeyData macroOfLength(int n)
{
    QVector<MacroStepData> s;
    for (int i = 0; i < n; ++i)
        s << st(quint8(i % 2), 0x04, 20);
    return macro(s);
}
inline KeyData media(quint16 u)
{
    KeyData k;
    k.setMultimedia(u);
    return k;
}
inline KeyData mouse(quint8 a)
{
    KeyData k;
    k.setMouseAction(a);
    return k;
}

inline int dirtyCount(const KeyboardData &m, int layer)
{
    int n = 0;
    for (int k = 0; k < 25; ++k)
        n += m.keyDataAt(layer, k)->dirty ? 1 : 0;
    return n;
}

} // namespace keydatatest
