#include "model/keynames.h"
#include "model/records.h"

#include <QtTest>

namespace {

// Steps written compactly: "p04 r04" is press 0x04, release 0x04 (delays do not matter to
// captions).
QVector<MacroStepData> steps(const QString &text)
{
    QVector<MacroStepData> out;
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &p : parts) {
        MacroStepData s;
        s.action = p.startsWith(QLatin1Char('p')) ? 0 : 1;
        s.keyCode = quint8(p.mid(1).toUInt(nullptr, 16));
        s.delayMs = 20;
        out << s;
    }
    return out;
}

QString arrows(const QStringList &names)
{
    return names.join(macroArrowSeparator());
}

} // namespace

class TstKeyNames : public QObject
{
    Q_OBJECT
private slots:
    void keyNames_data();
    void keyNames();
    void modifierNames();
    void mediaNames_data();
    void mediaNames();
    void mouseNames();
    void combinationCaptions_data();
    void combinationCaptions();
    void macroCaptions_data();
    void macroCaptions();
    void captionsByType();
};

void TstKeyNames::keyNames_data()
{
    QTest::addColumn<int>("usage");
    QTest::addColumn<QString>("name");
    const struct {
        int usage;
        const char *name;
    } rows[] = {
        {0x00, "0x00"},  {0x03, "0x03"},  {0x04, "A"},     {0x1D, "Z"},     {0x1E, "1"},
        {0x26, "9"},     {0x27, "0"},     {0x28, "Enter"}, {0x29, "Esc"},   {0x2A, "Bksp"},
        {0x2B, "Tab"},   {0x2C, "Space"}, {0x2D, "-"},     {0x2E, "="},     {0x2F, "["},
        {0x30, "]"},     {0x31, "\\"},    {0x32, "0x32"},  {0x33, ";"},     {0x34, "'"},
        {0x35, "`"},     {0x36, ","},     {0x37, "."},     {0x38, "/"},     {0x39, "Caps"},
        {0x3A, "F1"},    {0x45, "F12"},   {0x46, "PrtSc"}, {0x47, "ScrLk"}, {0x48, "Pause"},
        {0x49, "Ins"},   {0x4A, "Home"},  {0x4B, "PgUp"},  {0x4C, "Del"},   {0x4D, "End"},
        {0x4E, "PgDn"},  {0x4F, "Right"}, {0x50, "Left"},  {0x51, "Down"},  {0x52, "Up"},
        {0x53, "NumLk"}, {0x54, "/"},     {0x55, "*"},     {0x56, "-"},     {0x57, "+"},
        {0x58, "Enter"}, {0x59, "1"},     {0x61, "9"},     {0x62, "0"},     {0x63, "."},
        {0x64, "0x64"},  {0x65, "Menu"},  {0x66, "0x66"},  {0x67, "0x67"},  {0x68, "F13"},
        {0x73, "F24"},   {0x74, "0x74"},  {0xCD, "0xcd"},  {0xCE, "PrtSc"}, {0xCF, "ScrLk"},
        {0xD0, "0xd0"},  {0xDF, "0xdf"},  {0xE0, "LCtrl"}, {0xE1, "LShift"}, {0xE2, "LAlt"},
        {0xE3, "LWin"},  {0xE4, "RCtrl"}, {0xE5, "RShift"}, {0xE6, "RAlt"}, {0xE7, "RWin"},
        {0xE8, "0xe8"},  {0xFF, "0xff"},
    };
    for (const auto &r : rows)
        QTest::addRow("0x%02x", r.usage) << r.usage << QString::fromLatin1(r.name);
}

void TstKeyNames::keyNames()
{
    QFETCH(int, usage);
    QFETCH(QString, name);
    QCOMPARE(keyName(quint8(usage)), name);
}

void TstKeyNames::modifierNames()
{
    const char *names[8] = {"LCtrl", "LShift", "LAlt", "LWin", "RCtrl", "RShift", "RAlt", "RWin"};
    for (int i = 0; i < 8; ++i)
        QCOMPARE(modifierName(quint8(0xE0 + i)), QString::fromLatin1(names[i]));
    // Outside the modifier range the name is the hex code, even for a named key.
    QCOMPARE(modifierName(0x04), QStringLiteral("0x04"));
    QCOMPARE(modifierName(0xDF), QStringLiteral("0xdf"));
    QCOMPARE(modifierName(0xE8), QStringLiteral("0xe8"));
}

void TstKeyNames::mediaNames_data()
{
    QTest::addColumn<int>("usage");
    QTest::addColumn<QString>("name");
    const struct {
        int usage;
        const char *name;
    } rows[] = {
        {0x006F, "Bright+"},    {0x0070, "Bright-"},     {0x00B5, "Next Track"},
        {0x00B6, "Prev Track"}, {0x00B7, "Stop"},        {0x00CD, "Play/Pause"},
        {0x00E2, "Mute"},       {0x00E9, "Vol+"},        {0x00EA, "Vol-"},
        {0x0152, "Bass+"},      {0x0153, "Bass-"},       {0x015C, "Treble+"},
        {0x015D, "Treble-"},    {0x0183, "Open Media"},  {0x018A, "Email"},
        {0x0192, "Calculator"}, {0x0194, "My Computer"}, {0x0196, "Browser"},
        {0x0224, "Back"},       {0x0225, "Forward"},     {0x0227, "Refresh"},
        {0x00B8, "Media(0x00b8)"}, {0x0000, "Media(0x0000)"}, {0x0226, "Media(0x0226)"},
        {0xFFFF, "Media(0xffff)"}, {0x1CD, "Media(0x01cd)"},
    };
    for (const auto &r : rows)
        QTest::addRow("0x%04x", r.usage) << r.usage << QString::fromLatin1(r.name);
}

void TstKeyNames::mediaNames()
{
    QFETCH(int, usage);
    QFETCH(QString, name);
    QCOMPARE(mediaName(quint16(usage)), name);
}

void TstKeyNames::mouseNames()
{
    const QStringList longNames = {
        "Mouse Left",       "Mouse Right",    "Mouse Middle",    "Mouse Wheel Up",
        "Mouse Wheel Down", "Ctrl+Wheel Up",  "Ctrl+Wheel Down", "Shift+Wheel Up",
        "Shift+Wheel Down", "Alt+Wheel Up",   "Alt+Wheel Down",  "Left Swipe",
        "Right Swipe",      "Up Swipe",       "Down Swipe",      "Like"};
    const QStringList shortNames = {"M-L",  "M-R",  "M-M",  "W+",   "W-",   "C+W+",
                                    "C+W-", "S+W+", "S+W-", "A+W+", "A+W-", "SW-L",
                                    "SW-R", "SW-U", "SW-D", "LIKE"};
    for (int i = 0; i < 16; ++i) {
        QCOMPARE(mouseLongName(quint8(i)), longNames[i]);
        QCOMPARE(mouseShortName(quint8(i)), shortNames[i]);
    }
    for (int code : {16, 17, 128, 255}) {
        QVERIFY(mouseLongName(quint8(code)).isEmpty());
        QVERIFY(mouseShortName(quint8(code)).isEmpty());
    }
}

void TstKeyNames::combinationCaptions_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<QString>("full");
    QTest::addColumn<QString>("button");

    QTest::newRow("ctrl shift a") << 0x03 << QByteArray("\x04", 1)
                                  << "LCtrl + LShift + A" << "LCtrl + LS...";
    QTest::newRow("ctrl alone") << 0x01 << QByteArray() << "LCtrl" << "LCtrl";
    QTest::newRow("nothing") << 0x00 << QByteArray() << "" << "-";
    QTest::newRow("key without modifier") << 0x00 << QByteArray("\x1d", 1) << "Z" << "Z";
    // Ten characters stay whole, eleven are cut.
    QTest::newRow("ten chars") << 0x01 << QByteArray("\x3a", 1) << "LCtrl + F1" << "LCtrl + F1";
    QTest::newRow("eleven chars") << 0x01 << QByteArray("\x43", 1) << "LCtrl + F10"
                                  << "LCtrl + F1...";
    // Modifiers are named in bit order, whatever order they were added in.
    QTest::newRow("bit order") << 0x81 << QByteArray() << "LCtrl + RWin" << "LCtrl + RW...";
    QTest::newRow("all modifiers") << 0xFF << QByteArray()
                                   << "LCtrl + LShift + LAlt + LWin + RCtrl + RShift + RAlt + RWin"
                                   << "LCtrl + LS...";
    QTest::newRow("unknown usage") << 0x04 << QByteArray("\x32", 1) << "LAlt + 0x32"
                                   << "LAlt + 0x3...";
    QTest::newRow("keys in order") << 0x00 << QByteArray("\x05\x04", 2) << "B + A" << "B + A";
}

void TstKeyNames::combinationCaptions()
{
    QFETCH(int, modifiers);
    QFETCH(QByteArray, keys);
    QFETCH(QString, full);
    QFETCH(QString, button);

    KeyData k;
    k.setCombination(quint8(modifiers), keys);
    QCOMPARE(k.fullText, full);
    QCOMPARE(k.buttonText, button);

    // The builder alone, on fields set by hand, gives the same texts.
    KeyData raw;
    raw.type = KeyType::Combination;
    raw.modifierBits = quint8(modifiers);
    raw.comboKeys = keys;
    updateCombinationTexts(raw);
    QCOMPARE(raw.fullText, full);
    QCOMPARE(raw.buttonText, button);
}

void TstKeyNames::macroCaptions_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("full");
    QTest::addColumn<QString>("button");

    QTest::newRow("no steps") << "" << "" << "-";
    QTest::newRow("a then b") << "p04 r04 p05 r05" << arrows({"a", "b"}) << "a -> b";
    QTest::newRow("shift held over a") << "pe1 p04 r04 re1" << arrows({"LShift", "A"})
                                       << "LShift -...";
    QTest::newRow("right shift") << "pe5 p1d r1d re5" << arrows({"RShift", "Z"}) << "RShift -...";
    // The shift stays down while other keys go up: every letter typed under it is capital.
    QTest::newRow("shift held over two letters")
        << "pe1 p0b r0b p0c r0c re1" << arrows({"LShift", "H", "I"}) << "LShift -...";
    QTest::newRow("shift released before letter")
        << "pe1 re1 p04 r04" << arrows({"LShift", "a"}) << "LShift -...";
    QTest::newRow("left released, right still held")
        << "pe1 pe5 re1 p04" << arrows({"LShift", "RShift", "A"}) << "LShift -...";
    QTest::newRow("ctrl is no shift") << "pe0 p06 r06 re0" << arrows({"LCtrl", "c"})
                                      << "LCtrl ->...";
    QTest::newRow("shift then ctrl then letter")
        << "pe1 pe0 p04" << arrows({"LShift", "LCtrl", "A"}) << "LShift -...";
    QTest::newRow("first step never shifted") << "p04" << "a" << "a";
    QTest::newRow("digits keep their name") << "pe1 p1e" << arrows({"LShift", "1"})
                                            << "LShift -...";
    QTest::newRow("unknown usage") << "p32 r32" << "0x32" << "0x32";
    QTest::newRow("only releases") << "r04 r05" << "Macro(2)" << "Macro(2)";
    QTest::newRow("release steps counted") << "r04 r05 r06 r07 r08" << "Macro(5)" << "Macro(5)";
    // Eight characters stay whole, nine are cut to eight and "...".
    QTest::newRow("eight chars") << "p3a p3b" << arrows({"F1", "F2"}) << "F1 -> F2";
    QTest::newRow("nine chars") << "p3a p43" << arrows({"F1", "F10"}) << "F1 -> F1...";
}

void TstKeyNames::macroCaptions()
{
    QFETCH(QString, steps);
    QFETCH(QString, full);
    QFETCH(QString, button);

    KeyData k;
    k.setMacro(::steps(steps));
    QCOMPARE(k.type, quint8(KeyType::Macro));
    QCOMPARE(k.fullText, full);
    QCOMPARE(k.buttonText, button);
}

void TstKeyNames::captionsByType()
{
    QCOMPARE(macroArrowSeparator(),
             QStringLiteral("<span style='color:#3296ff;font-weight:bold;'> &#x27A1; </span>"));

    KeyData k;
    k.type = KeyType::Basic;
    k.keyCode = 0x2C;
    updateKeyTexts(k);
    QCOMPARE(k.fullText, QStringLiteral("Space"));
    QCOMPARE(k.buttonText, QStringLiteral("Space"));

    k.type = KeyType::Multimedia;
    k.mediaUsage = 0x00E9;
    updateKeyTexts(k);
    QCOMPARE(k.fullText, QStringLiteral("Vol+"));
    QCOMPARE(k.buttonText, QStringLiteral("Vol+"));

    k.type = KeyType::Mouse;
    k.mouseAction = 12;
    updateKeyTexts(k);
    QCOMPARE(k.fullText, QStringLiteral("Right Swipe"));
    QCOMPARE(k.buttonText, QStringLiteral("SW-R"));

    // An empty key and a type the device does not know show nothing.
    for (quint8 t : {quint8(KeyType::Empty), quint8(5), quint8(0x80)}) {
        k.type = t;
        updateKeyTexts(k);
        QVERIFY(k.fullText.isEmpty());
        QVERIFY(k.buttonText.isEmpty());
    }
}

QTEST_GUILESS_MAIN(TstKeyNames)
#include "tst_keynames.moc"
