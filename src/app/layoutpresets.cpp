// Pixel geometry of every panel preset at window scale 1. Each preset mirrors the front of
// the keypad it stands for: keys in their grid, knobs beside the keys (or above them on the
// models whose knobs sit in a row over the keys).
#include "app/layoutpresets.h"

namespace LayoutPresets {

namespace {

KnobDescriptor knob(int firstIndex, int x, int y, int turnSize, int pressSize,
                    KnobDescriptor::Arrangement arrangement)
{
    KnobDescriptor k;
    k.firstIndex = firstIndex;
    k.x = x;
    k.y = y;
    k.turnSize = turnSize;
    k.pressSize = pressSize;
    k.arrangement = arrangement;
    return k;
}

// Lays knobs side by side, vertically centred on the tallest, `gap` apart.
void placeInRow(QVector<KnobDescriptor> &knobs, int gap)
{
    int height = 0;
    for (const KnobDescriptor &k : knobs)
        height = qMax(height, k.clusterHeight());
    int x = 0;
    for (KnobDescriptor &k : knobs) {
        k.x = x;
        k.y = (height - k.clusterHeight()) / 2;
        x += k.clusterWidth() + gap;
    }
}

// Stacks knobs top to bottom, horizontally centred on the widest, `gap` apart.
void placeInColumn(QVector<KnobDescriptor> &knobs, int gap)
{
    int width = 0;
    for (const KnobDescriptor &k : knobs)
        width = qMax(width, k.clusterWidth());
    int y = 0;
    for (KnobDescriptor &k : knobs) {
        k.x = (width - k.clusterWidth()) / 2;
        k.y = y;
        y += k.clusterHeight() + gap;
    }
}

PhysicalLayoutConfig keys(const char *name, int rows, int columns, int keyCount, int keySize,
                          int labelX, int labelY, int labelSize, int labelFont)
{
    PhysicalLayoutConfig c;
    c.name = QString::fromLatin1(name);
    c.rows = rows;
    c.columns = columns;
    c.keyCount = keyCount;
    c.keySize = keySize;
    c.numberLabelX = labelX;
    c.numberLabelY = labelY;
    c.numberLabelSize = labelSize;
    c.numberLabelFontSize = labelFont;
    return c;
}

} // namespace

PhysicalLayoutConfig buildDefault16Plus3Layout()
{
    // 4 x 4 keys with the three knobs stacked on their right.
    PhysicalLayoutConfig c = keys("Layout_16K_3E_P0_S0", 4, 4, 16, 80, 5, 5, 20, 14);
    c.knobs = {knob(16, 0, 0, 64, 96, KnobDescriptor::Row),
               knob(19, 0, 0, 64, 96, KnobDescriptor::Row),
               knob(22, 0, 0, 64, 96, KnobDescriptor::Row)};
    placeInColumn(c.knobs, 34);
    c.scaleFactor = 1.0;
    return c;
}

PhysicalLayoutConfig build16Plus3LayoutS1()
{
    // Three knobs in a row over a row of four big keys; the middle knob is the big one.
    PhysicalLayoutConfig c = keys("Layout_16K_3E_P0_S1", 1, 4, 4, 109, 5, 5, 20, 14);
    c.knobsAbove = true;
    c.keyFontSize = 12;
    c.knobs = {knob(16, 0, 0, 60, 84, KnobDescriptor::Triangle),
               knob(19, 0, 0, 78, 109, KnobDescriptor::Triangle),
               knob(22, 0, 0, 60, 84, KnobDescriptor::Triangle)};
    placeInRow(c.knobs, 24);
    c.scaleFactor = 1.3;
    return c;
}

PhysicalLayoutConfig build16Plus3LayoutS2()
{
    // Two knobs and no keys.
    PhysicalLayoutConfig c = keys("Layout_16K_3E_P0_S2", 0, 0, 0, 0, 0, 0, 0, 0);
    c.knobsAbove = true;
    c.knobs = {knob(16, 0, 0, 88, 124, KnobDescriptor::Triangle),
               knob(19, 0, 0, 88, 124, KnobDescriptor::Triangle)};
    placeInRow(c.knobs, 48);
    c.scaleFactor = 1.3;
    return c;
}

PhysicalLayoutConfig build16Plus3LayoutS3()
{
    // Three knobs and no keys; the middle one is bigger.
    PhysicalLayoutConfig c = keys("Layout_16K_3E_P0_S3", 0, 0, 0, 0, 0, 0, 0, 0);
    c.knobsAbove = true;
    c.knobs = {knob(16, 0, 0, 70, 100, KnobDescriptor::Triangle),
               knob(19, 0, 0, 91, 130, KnobDescriptor::Triangle),
               knob(22, 0, 0, 70, 100, KnobDescriptor::Triangle)};
    placeInRow(c.knobs, 32);
    c.scaleFactor = 1.3;
    return c;
}

PhysicalLayoutConfig build6Plus1Layout()
{
    // 2 x 3 keys with one knob on their right.
    PhysicalLayoutConfig c = keys("Layout_6K_1E_P0_S0", 2, 3, 6, 82, 5, 4, 18, 12);
    c.knobs = {knob(6, 0, 0, 72, 96, KnobDescriptor::Triangle)};
    c.scaleFactor = 1.2;
    return c;
}

PhysicalLayoutConfig build6Plus0Layout()
{
    PhysicalLayoutConfig c = keys("Layout_6K_0E_P0_S0", 2, 3, 6, 98, 5, 4, 22, 14);
    c.keyFontSize = 11;
    c.scaleFactor = 1.2;
    return c;
}

PhysicalLayoutConfig build1Plus0Layout()
{
    PhysicalLayoutConfig c = keys("Layout_1K_0E_P0_S0", 1, 1, 1, 197, 10, 8, 43, 29);
    c.keyFontSize = 18;
    c.scaleFactor = 1.3;
    return c;
}

PhysicalLayoutConfig build0Plus1Layout()
{
    // One big knob seen from above: press on top, the two turns below.
    PhysicalLayoutConfig c = keys("Layout_0K_1E_P0_S0", 0, 0, 0, 0, 0, 0, 0, 0);
    c.knobs = {knob(0, 0, 0, 104, 154, KnobDescriptor::Triangle)};
    c.scaleFactor = 1.3;
    return c;
}

PhysicalLayoutConfig build0Plus1LayoutP1S1()
{
    // One big knob with its turns on either side.
    PhysicalLayoutConfig c = keys("Layout_0K_1E_P1_S1", 0, 0, 0, 0, 0, 0, 0, 0);
    c.knobs = {knob(0, 0, 0, 104, 154, KnobDescriptor::Row)};
    c.scaleFactor = 1.3;
    return c;
}

PhysicalLayoutConfig build5Plus2Layout()
{
    // Five keys in a cross on a 3 x 3 grid, two turn-only knobs on their right.
    PhysicalLayoutConfig c = keys("Layout_5K_2E_P0_S0", 3, 3, 5, 72, 4, 3, 16, 11);
    c.keyCells = {qMakePair(0, 1), qMakePair(1, 0), qMakePair(1, 1), qMakePair(1, 2),
                  qMakePair(2, 1)};
    c.turnOnlyKnobCount = 2;
    c.turnOnlySize = 72;
    c.turnOnlyGap = 24;
    c.scaleFactor = 1.2;
    return c;
}

PhysicalLayoutConfig buildForCode(int code)
{
    switch (code) {
    case 1: return build16Plus3LayoutS1();
    case 2: return build16Plus3LayoutS2();
    case 3: return build16Plus3LayoutS3();
    case 4: return build6Plus1Layout();
    case 5: return build6Plus0Layout();
    case 6: return build1Plus0Layout();
    case 7: return build0Plus1Layout();
    case 8: return build0Plus1LayoutP1S1();
    case 9: return build5Plus2Layout();
    default: return buildDefault16Plus3Layout();
    }
}

const QVector<DeviceTableRow> &deviceTable()
{
    static const QVector<DeviceTableRow> table = {
        {16, 3, 0, 0, 0}, {16, 3, 0, 1, 1}, {16, 3, 0, 2, 2}, {16, 3, 0, 3, 3},
        {6, 1, 0, 0, 4},  {6, 0, 0, 0, 5},  {1, 0, 0, 0, 6},  {0, 1, 0, 0, 7},
        {0, 1, 1, 1, 8},  {5, 2, 0, 0, 9},
    };
    return table;
}

int codeForDevice(bool valid, int keyCount, int encoderCount, int variantP, int shape)
{
    const auto &table = deviceTable();
    if (!valid)
        return table.first().code;
    for (const DeviceTableRow &r : table)
        if (r.keyCount == keyCount && r.encoderCount == encoderCount && r.variantP == variantP
            && r.shape == shape)
            return r.code;
    for (const DeviceTableRow &r : table)
        if (r.keyCount == keyCount && r.encoderCount == encoderCount && r.shape == shape)
            return r.code;
    for (const DeviceTableRow &r : table)
        if (r.keyCount == keyCount && r.encoderCount == encoderCount)
            return r.code;
    return table.first().code;
}

PhysicalLayoutConfig forDevice(bool legacy, bool valid, int k, int e, int variantP, int shape)
{
    if (legacy) {
        if (k == 1 && e == 0)
            return build1Plus0Layout();
        if (k == 0 && e == 3)
            return build16Plus3LayoutS3();
        if (k == 0 && e == 2)
            return build16Plus3LayoutS2();
        if (k == 4 && e == 3)
            return build16Plus3LayoutS1();
    }
    return buildForCode(codeForDevice(valid, k, e, variantP, shape));
}

namespace {
const QString kLayout0K1E = QStringLiteral("Layout_0K_1E_P0_S0");
const QString kLayout6K1E = QStringLiteral("Layout_6K_1E_P0_S0");

// A legacy single-knob keypad numbers its key slots in its own order.
const int kLegacyKnobDataOfButton[5] = {3, 1, 2, 5, 4};
const int kLegacyKnobButtonOfData[5] = {1, 2, 0, 4, 3};
} // namespace

int dataIndexOfButton(bool legacy, const QString &panelName, int b)
{
    if (legacy && panelName == kLayout0K1E && b >= 0 && b <= 4)
        return kLegacyKnobDataOfButton[b];
    if (legacy && panelName == kLayout6K1E && b >= 6 && b <= 8)
        return b + 10;
    return b;
}

int buttonOfDataIndex(bool legacy, const QString &panelName, int d)
{
    if (legacy && panelName == kLayout0K1E && d >= 1 && d <= 5)
        return kLegacyKnobButtonOfData[d - 1];
    if (legacy && panelName == kLayout6K1E && d >= 16 && d <= 18)
        return d - 10;
    return d;
}

} // namespace LayoutPresets
