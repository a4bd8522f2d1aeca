#include "pages/pagekeytables.h"

namespace {

QVector<ExtraKeyEntry> buildExtraKeys()
{
    QVector<ExtraKeyEntry> keys = {
        {0, 0, QStringLiteral("Left\nCommand"), 0xE3},
        {0, 1, QStringLiteral("Right\nCommand"), 0xE7},
        {0, 2, QStringLiteral("Left\nOption"), 0xE2},
        {0, 3, QStringLiteral("Right\nOption"), 0xE6},
        {0, 4, QStringLiteral("Left\nControl"), 0xE0},
        {0, 5, QStringLiteral("Right\nControl"), 0xE4},
    };
    // F13..F24 follow the modifiers, eight to a row.
    for (int n = 13; n <= 24; ++n) {
        const int cell = 6 + (n - 13);
        keys.append({cell / 8, cell % 8, QStringLiteral("F%1").arg(n), quint8(0x68 + n - 13)});
    }
    return keys;
}

} // namespace

const QVector<ExtraKeyEntry> &extraKeyEntries()
{
    static const QVector<ExtraKeyEntry> keys = buildExtraKeys();
    return keys;
}

const QVector<QVector<MediaKeyEntry>> &mediaKeyRows()
{
    static const QVector<QVector<MediaKeyEntry>> rows = {
        {
            {QStringLiteral("Next Track"), 0x00B5},
            {QStringLiteral("Stop"), 0x00B7},
            {QStringLiteral("Prev Track"), 0x00B6},
            {QStringLiteral("Play/Pause"), 0x00CD},
            {QStringLiteral("Bright+"), 0x006F},
            {QStringLiteral("My Computer"), 0x0194},
            {QStringLiteral("Bright-"), 0x0070},
        },
        {
            {QStringLiteral("Vol-"), 0x00EA},
            {QStringLiteral("Vol+"), 0x00E9},
            {QStringLiteral("Mute"), 0x00E2},
            {QStringLiteral("Open Media"), 0x0183},
            {QStringLiteral("Calculator"), 0x0192},
            {QStringLiteral("Browser"), 0x0196},
            {QStringLiteral("Email"), 0x018A},
        },
        {
            {QStringLiteral("Bass+"), 0x0152},
            {QStringLiteral("Refresh"), 0x0227},
            {QStringLiteral("Treble-"), 0x015D},
            {QStringLiteral("Treble+"), 0x015C},
            {QStringLiteral("Forward"), 0x0225},
            {QStringLiteral("Bass-"), 0x0153},
            {QStringLiteral("Back"), 0x0224},
        },
    };
    return rows;
}

const QVector<QVector<MouseKeyEntry>> &mouseKeyRows()
{
    const QString left = QStringLiteral("left");
    const QString right = QStringLiteral("right");
    const QString middle = QStringLiteral("middle");
    const QString up = QStringLiteral("wheel_up");
    const QString down = QStringLiteral("wheel_down");
    const QString none = QStringLiteral("placeholder");
    static const QVector<QVector<MouseKeyEntry>> rows = {
        {
            {QStringLiteral("Mouse LeftKey"), left, true, 0},
            {QStringLiteral("Mouse Middle"), middle, true, 2},
            {QStringLiteral("Mouse Right"), right, true, 1},
        },
        {
            {QStringLiteral("Mouse Wheel+"), up, true, 3},
            {QStringLiteral("Mouse Wheel-"), down, true, 4},
            {QStringLiteral("Like"), none, true, 15},
        },
        {
            {QStringLiteral("Ctrl+Mouse Up"), up, true, 5},
            {QStringLiteral("Ctrl+Mouse Down"), down, true, 6},
            {QStringLiteral("Left Swipe"), none, true, 11},
        },
        {
            {QStringLiteral("Shift+Mouse Up"), up, true, 7},
            {QStringLiteral("Shift+Mouse Down"), down, true, 8},
            {QStringLiteral("Right Swipe"), none, true, 12},
        },
        {
            {QStringLiteral("Alt+Mouse Up"), up, true, 9},
            {QStringLiteral("Alt+Mouse Down"), down, true, 10},
            {QStringLiteral("Up Swipe"), none, true, 13},
        },
        {
            {QString(), none, false, 0},
            {QString(), none, false, 0},
            {QStringLiteral("Down Swipe"), none, true, 14},
        },
    };
    return rows;
}
