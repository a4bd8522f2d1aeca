#include "model/keynametable.h"

#include <array>

namespace {

struct KeyboardNames {
    std::array<const char *, 256> names{};

    KeyboardNames()
    {
        static const char *const letters[26] = {"A", "B", "C", "D", "E", "F", "G", "H", "I",
                                                "J", "K", "L", "M", "N", "O", "P", "Q", "R",
                                                "S", "T", "U", "V", "W", "X", "Y", "Z"};
        for (int i = 0; i < 26; ++i)
            names[0x04 + i] = letters[i];
        static const char *const digits[10] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"};
        for (int i = 0; i < 10; ++i) {
            names[0x1E + i] = digits[i]; // 0x1E..0x27: 1..9, 0
            names[0x59 + i] = digits[i]; // keypad 0x59..0x62: 1..9, 0
        }
        static const char *const fkeys[24] = {"F1",  "F2",  "F3",  "F4",  "F5",  "F6",
                                              "F7",  "F8",  "F9",  "F10", "F11", "F12",
                                              "F13", "F14", "F15", "F16", "F17", "F18",
                                              "F19", "F20", "F21", "F22", "F23", "F24"};
        for (int i = 0; i < 12; ++i) {
            names[0x3A + i] = fkeys[i];
            names[0x68 + i] = fkeys[12 + i];
        }
        const struct {
            quint8 usage;
            const char *name;
        } single[] = {
            {0x28, "Enter"}, {0x29, "Esc"},   {0x2A, "Bksp"},  {0x2B, "Tab"},   {0x2C, "Space"},
            {0x2D, "-"},     {0x2E, "="},     {0x2F, "["},     {0x30, "]"},     {0x31, "\\"},
            {0x33, ";"},     {0x34, "'"},     {0x35, "`"},     {0x36, ","},     {0x37, "."},
            {0x38, "/"},     {0x39, "Caps"},  {0x46, "PrtSc"}, {0x47, "ScrLk"}, {0x48, "Pause"},
            {0x49, "Ins"},   {0x4A, "Home"},  {0x4B, "PgUp"},  {0x4C, "Del"},   {0x4D, "End"},
            {0x4E, "PgDn"},  {0x4F, "Right"}, {0x50, "Left"},  {0x51, "Down"},  {0x52, "Up"},
            {0x53, "NumLk"}, {0x54, "/"},     {0x55, "*"},     {0x56, "-"},     {0x57, "+"},
            {0x58, "Enter"}, {0x63, "."},     {0x65, "Menu"},  {0xCE, "PrtSc"}, {0xCF, "ScrLk"},
            {0xE0, "LCtrl"}, {0xE1, "LShift"}, {0xE2, "LAlt"}, {0xE3, "LWin"},  {0xE4, "RCtrl"},
            {0xE5, "RShift"}, {0xE6, "RAlt"}, {0xE7, "RWin"},
        };
        for (const auto &s : single)
            names[s.usage] = s.name;
    }
};

const KeyboardNames &keyboardNames()
{
    static const KeyboardNames table;
    return table;
}

struct ConsumerName {
    quint16 usage;
    const char *name;
};

const ConsumerName kConsumerNames[] = {
    {0x006F, "Bright+"},     {0x0070, "Bright-"},    {0x00B5, "Next Track"},
    {0x00B6, "Prev Track"},  {0x00B7, "Stop"},       {0x00CD, "Play/Pause"},
    {0x00E2, "Mute"},        {0x00E9, "Vol+"},       {0x00EA, "Vol-"},
    {0x0152, "Bass+"},       {0x0153, "Bass-"},      {0x015C, "Treble+"},
    {0x015D, "Treble-"},     {0x0183, "Open Media"}, {0x018A, "Email"},
    {0x0192, "Calculator"},  {0x0194, "My Computer"}, {0x0196, "Browser"},
    {0x0224, "Back"},        {0x0225, "Forward"},    {0x0227, "Refresh"},
};

const char *const kMouseLong[16] = {
    "Mouse Left",       "Mouse Right",     "Mouse Middle",     "Mouse Wheel Up",
    "Mouse Wheel Down", "Ctrl+Wheel Up",   "Ctrl+Wheel Down",  "Shift+Wheel Up",
    "Shift+Wheel Down", "Alt+Wheel Up",    "Alt+Wheel Down",   "Left Swipe",
    "Right Swipe",      "Up Swipe",        "Down Swipe",       "Like",
};

const char *const kMouseShort[16] = {
    "M-L",  "M-R",  "M-M",  "W+",   "W-",   "C+W+", "C+W-", "S+W+",
    "S+W-", "A+W+", "A+W-", "SW-L", "SW-R", "SW-U", "SW-D", "LIKE",
};

} // namespace

namespace KeyNameTable {

const char *keyboardUsage(quint8 usage)
{
    return keyboardNames().names[usage];
}

const char *consumerUsage(quint16 usage)
{
    for (const auto &c : kConsumerNames)
        if (c.usage == usage)
            return c.name;
    return nullptr;
}

const char *mouseLong(quint8 code)
{
    return code < 16 ? kMouseLong[code] : nullptr;
}

const char *mouseShort(quint8 code)
{
    return code < 16 ? kMouseShort[code] : nullptr;
}

} // namespace KeyNameTable
