#include "pages/macrokeycapture.h"

#include <Qt>

#include <QHash>

namespace MacroKeyCapture {

namespace {

struct Entry {
    int qtKey;
    quint8 usage;
};

// Keys that are not letters, digits or function keys (those follow from arithmetic).
const Entry kTable[] = {
    {Qt::Key_0, 0x27},           {Qt::Key_ParenRight, 0x27},  {Qt::Key_Exclam, 0x1E},
    {Qt::Key_At, 0x1F},          {Qt::Key_NumberSign, 0x20},  {Qt::Key_Dollar, 0x21},
    {Qt::Key_Percent, 0x22},     {Qt::Key_AsciiCircum, 0x23}, {Qt::Key_Ampersand, 0x24},
    {Qt::Key_Asterisk, 0x25},    {Qt::Key_ParenLeft, 0x26},   {Qt::Key_Space, 0x2C},
    {Qt::Key_Minus, 0x2D},       {Qt::Key_Underscore, 0x2D},  {Qt::Key_Equal, 0x2E},
    {Qt::Key_Plus, 0x2E},        {Qt::Key_BracketLeft, 0x2F}, {Qt::Key_BraceLeft, 0x2F},
    {Qt::Key_BracketRight, 0x30}, {Qt::Key_BraceRight, 0x30}, {Qt::Key_Backslash, 0x31},
    {Qt::Key_Bar, 0x31},         {Qt::Key_Semicolon, 0x33},   {Qt::Key_Colon, 0x33},
    {Qt::Key_Apostrophe, 0x34},  {Qt::Key_QuoteDbl, 0x34},    {Qt::Key_QuoteLeft, 0x35},
    {Qt::Key_AsciiTilde, 0x35},  {Qt::Key_Comma, 0x36},       {Qt::Key_Less, 0x36},
    {Qt::Key_Period, 0x37},      {Qt::Key_Greater, 0x37},     {Qt::Key_Slash, 0x38},
    {Qt::Key_Question, 0x38},    {Qt::Key_Escape, 0x29},      {Qt::Key_Tab, 0x2B},
    // Shift+Tab arrives as Backtab; it is still the Tab key.
    {Qt::Key_Backtab, 0x2B},     {Qt::Key_Backspace, 0x2A},   {Qt::Key_Return, 0x28},
    {Qt::Key_Enter, 0x58},       {Qt::Key_Insert, 0x49},      {Qt::Key_Delete, 0x4C},
    {Qt::Key_Pause, 0x48},       {Qt::Key_Print, 0x46},       {Qt::Key_Home, 0x4A},
    {Qt::Key_End, 0x4D},         {Qt::Key_Left, 0x50},        {Qt::Key_Up, 0x52},
    {Qt::Key_Right, 0x4F},       {Qt::Key_Down, 0x51},        {Qt::Key_PageUp, 0x4B},
    {Qt::Key_PageDown, 0x4E},    {Qt::Key_Shift, 0xE1},       {Qt::Key_Control, 0xE0},
    {Qt::Key_Meta, 0xE3},        {Qt::Key_Alt, 0xE2},         {Qt::Key_CapsLock, 0x39},
    {Qt::Key_NumLock, 0x53},     {Qt::Key_ScrollLock, 0x47},
};

const QHash<int, quint8> &table()
{
    static const QHash<int, quint8> map = [] {
        QHash<int, quint8> m;
        for (const Entry &e : kTable)
            m.insert(e.qtKey, e.usage);
        return m;
    }();
    return map;
}

} // namespace

int hidUsageForQtKey(int qtKey)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return qtKey - 0x3D;
    if (qtKey >= Qt::Key_1 && qtKey <= Qt::Key_9)
        return qtKey - 0x13;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return 0x3A + (qtKey - Qt::Key_F1);
    const auto it = table().constFind(qtKey);
    return it == table().constEnd() ? -1 : int(it.value());
}

} // namespace MacroKeyCapture
