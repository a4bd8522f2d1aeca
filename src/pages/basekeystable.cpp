#include "pages/basekeystable.h"

namespace {

const QString kFunction = QStringLiteral("functionKey");
const QString kSpecial = QStringLiteral("specialKey");
const QString kNav = QStringLiteral("navKey");
const QString kNumpad = QStringLiteral("numpadKey");
const QString kNumpadOp = QStringLiteral("numpadOperator");

BaseKeyCap key(const QString &text, quint8 usage, const QString &cls = QString(), int gap = 0)
{
    return BaseKeyCap{text, QString(), usage, cls, gap};
}

BaseKeyCap dual(const QString &main, const QString &corner, quint8 usage, int gap = 0)
{
    return BaseKeyCap{main, corner, usage, QString(), gap};
}

// Letters in the order of a row, with their usages.
void addLetters(QVector<BaseKeyCap> &row, const char *letters, const quint8 *usages)
{
    for (int i = 0; letters[i]; ++i)
        row.append(key(QString(QLatin1Char(letters[i])), usages[i]));
}

QVector<QVector<BaseKeyCap>> buildRows()
{
    QVector<QVector<BaseKeyCap>> rows;

    // Function row.
    QVector<BaseKeyCap> r1;
    r1.append(key(QStringLiteral("ESC"), 0x29, kFunction));
    for (int n = 1; n <= 12; ++n) {
        int gap = 0;
        if (n == 1)
            gap = 10;
        else if (n == 5 || n == 9)
            gap = 15;
        r1.append(key(QStringLiteral("F%1").arg(n), quint8(0x39 + n), kFunction, gap));
    }
    r1.append(key(QStringLiteral("Print\nScreen"), 0x46, kSpecial, 15));
    r1.append(key(QStringLiteral("Scroll\nLock"), 0x47, kSpecial));
    r1.append(key(QStringLiteral("Pause\nBreak"), 0x48, kSpecial));
    rows.append(r1);

    // Number row.
    QVector<BaseKeyCap> r2;
    r2.append(dual(QStringLiteral("`"), QStringLiteral("~"), 0x35));
    const char *shifted = "!@#$%^&*(";
    for (int n = 1; n <= 9; ++n)
        r2.append(dual(QString::number(n), QString(QLatin1Char(shifted[n - 1])), quint8(0x1D + n)));
    r2.append(dual(QStringLiteral("0"), QStringLiteral(")"), 0x27));
    r2.append(dual(QStringLiteral("-"), QStringLiteral("_"), 0x2D));
    r2.append(dual(QStringLiteral("="), QStringLiteral("+"), 0x2E));
    r2.append(key(QStringLiteral("Backspace"), 0x2A, kSpecial));
    r2.append(key(QStringLiteral("Insert"), 0x49, kSpecial, 20));
    r2.append(key(QStringLiteral("Home"), 0x4A, kSpecial));
    r2.append(key(QStringLiteral("Page\nUp"), 0x4B, kSpecial));
    rows.append(r2);

    // Top letter row.
    QVector<BaseKeyCap> r3;
    r3.append(key(QStringLiteral("Tab"), 0x2B, kSpecial));
    static const quint8 top[] = {0x14, 0x1A, 0x08, 0x15, 0x17, 0x1C, 0x18, 0x0C, 0x12, 0x13};
    addLetters(r3, "QWERTYUIOP", top);
    r3.append(dual(QStringLiteral("["), QStringLiteral("{"), 0x2F));
    r3.append(dual(QStringLiteral("]"), QStringLiteral("}"), 0x30));
    r3.append(dual(QStringLiteral("\\"), QStringLiteral("|"), 0x31));
    r3.append(key(QStringLiteral("Delete"), 0x4C, kSpecial, 20));
    r3.append(key(QStringLiteral("End"), 0x4D, kSpecial));
    r3.append(key(QStringLiteral("Page\nDown"), 0x4E, kSpecial));
    rows.append(r3);

    // Middle letter row.
    QVector<BaseKeyCap> r4;
    r4.append(key(QStringLiteral("Caps\nLock"), 0x39, kSpecial));
    static const quint8 middle[] = {0x04, 0x16, 0x07, 0x09, 0x0A, 0x0B, 0x0D, 0x0E, 0x0F};
    addLetters(r4, "ASDFGHJKL", middle);
    r4.append(dual(QStringLiteral(";"), QStringLiteral(":"), 0x33));
    r4.append(dual(QStringLiteral("'"), QStringLiteral("\""), 0x34));
    r4.append(key(QStringLiteral("Enter"), 0x28, kSpecial));
    rows.append(r4);

    // Bottom letter row.
    QVector<BaseKeyCap> r5;
    r5.append(key(QStringLiteral("Shift"), 0xE1, kSpecial));
    static const quint8 bottom[] = {0x1D, 0x1B, 0x06, 0x19, 0x05, 0x11, 0x10};
    addLetters(r5, "ZXCVBNM", bottom);
    r5.append(dual(QStringLiteral(","), QStringLiteral("<"), 0x36));
    r5.append(dual(QStringLiteral("."), QStringLiteral(">"), 0x37));
    r5.append(dual(QStringLiteral("/"), QStringLiteral("?"), 0x38));
    r5.append(key(QStringLiteral("Shift"), 0xE5, kSpecial));
    r5.append(key(QStringLiteral("^"), 0x52, kNav, 20));
    rows.append(r5);

    // Modifier row and the lower arrows.
    QVector<BaseKeyCap> r6;
    r6.append(key(QStringLiteral("Ctrl"), 0xE0, kSpecial));
    r6.append(key(QStringLiteral("Win"), 0xE3, kSpecial));
    r6.append(key(QStringLiteral("Alt"), 0xE2, kSpecial));
    r6.append(key(QStringLiteral("Space"), 0x2C, kSpecial));
    r6.append(key(QStringLiteral("Alt"), 0xE6, kSpecial));
    r6.append(key(QStringLiteral("Win"), 0xE7, kSpecial));
    r6.append(key(QStringLiteral("Menu"), 0x65, kSpecial));
    r6.append(key(QStringLiteral("Ctrl"), 0xE4, kSpecial));
    r6.append(key(QStringLiteral("<"), 0x50, kNav, 20));
    r6.append(key(QStringLiteral("v"), 0x51, kNav));
    r6.append(key(QStringLiteral(">"), 0x4F, kNav));
    rows.append(r6);

    // Numeric keypad, laid out as one row.
    QVector<BaseKeyCap> r7;
    r7.append(key(QStringLiteral("NumLock"), 0x53, kNumpad));
    r7.append(key(QStringLiteral("/"), 0x54, kNumpadOp));
    r7.append(key(QStringLiteral("*"), 0x55, kNumpadOp));
    r7.append(key(QStringLiteral("+"), 0x57, kNumpadOp));
    r7.append(key(QStringLiteral("-"), 0x56, kNumpadOp));
    r7.append(key(QStringLiteral("0"), 0x62, kNumpad));
    for (int n = 1; n <= 9; ++n)
        r7.append(key(QString::number(n), quint8(0x58 + n), kNumpad));
    r7.append(key(QStringLiteral("."), 0x63, kNumpad));
    r7.append(key(QStringLiteral("Enter"), 0x58, kNumpad));
    rows.append(r7);

    return rows;
}

} // namespace

const QVector<QVector<BaseKeyCap>> &baseKeyRows()
{
    static const QVector<QVector<BaseKeyCap>> rows = buildRows();
    return rows;
}
