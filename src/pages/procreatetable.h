#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

struct KeyData;

// A ready-made Procreate shortcut: its name, a short name for small key caps and the
// HID keyboard usages pressed in order (released in reverse).
struct ProcreateShortcut {
    QString label;
    QString shortLabel;
    QByteArray usages;
};

// The 32 shortcuts in page order.
QVector<ProcreateShortcut> procreateShortcuts();

// The key function a shortcut assigns: one usage gives a plain key, several a macro that
// presses them in order and releases them in reverse. The record is marked dirty.
KeyData procreateKeyData(const QByteArray &usages);

// The first shortcut whose function equals the key's, or null.
const ProcreateShortcut *findProcreateShortcut(const KeyData &key);
