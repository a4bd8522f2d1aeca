// The udev rule shipped in packaging/ is what lets a normal user open the keypad. It is
// checked here by reading it the way udev does (keys, operators, glob patterns, parent
// attributes) and replaying the device events of each keypad identity against it, so a rule
// that merely mentions an ID but could never match (ATTR instead of ATTRS, upper-case hex,
// the wrong subsystem) fails. The AppStream metainfo's hardware list is checked alike.
#include "device/hidmanager.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <QtTest>

#include <algorithm>
#include <iterator>

namespace {

struct Identity {
    quint16 vendorId;
    quint16 productId;
};

// Every identity the scan looks for; written out here on purpose rather than taken from
// the program, so that a change to either list is noticed.
const Identity kKeypads[] = {
    {0x4C4A, 0x4155}, {0x514C, 0x8850}, {0x1189, 0x8842}, {0x1189, 0x8840}, {0x1189, 0x8830},
    {0x1189, 0x8831}, {0x1189, 0x8832}, {0x1189, 0x8833}, {0x1189, 0x8850}, {0x1189, 0x8851},
    {0x514C, 0x8842}, {0x514C, 0x8840}, {0x514C, 0x8830}, {0x514C, 0x8831}, {0x514C, 0x8832},
    {0x514C, 0x8833}, {0x514C, 0x8851},
};

struct RuleKey {
    QString key;
    QString attr;
    QString op;
    QString value;
};

struct Rule {
    int line = 0;
    QVector<RuleKey> keys;
};

// One node of a sysfs device chain: [0] is the device the event is about, then its parents.
struct SysDevice {
    QString subsystem;
    QString kernel;
    QMap<QString, QString> attrs;
};

struct Outcome {
    QSet<QString> tags;
    QString mode;
    QString group;
};

bool isMatchOp(const QString &op) { return op == QLatin1String("==") || op == QLatin1String("!="); }

// udev patterns: shell globs, with '|' separating alternatives; case-sensitive.
bool patternMatches(const QString &pattern, const QString &value)
{
    for (const QString &alt : pattern.split(QLatin1Char('|'))) {
        const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(alt));
        if (re.match(value).hasMatch())
            return true;
    }
    return false;
}

// Files of the source tree: CTest names the tree; run by hand, fall back to the path of
// this file.
QString sourceFile(const QString &relative)
{
    const QString root = qEnvironmentVariable("MPS_SOURCE_DIR");
    if (!root.isEmpty()) {
        const QString path = root + QLatin1Char('/') + relative;
        return QFileInfo::exists(path) ? path : QString();
    }
    return QFINDTESTDATA(QStringLiteral("../") + relative);
}

bool parseRules(const QString &text, QVector<Rule> *rules, QString *error)
{
    static const QSet<QString> matchOnly = {
        QStringLiteral("ACTION"),  QStringLiteral("DEVPATH"),    QStringLiteral("KERNEL"),
        QStringLiteral("KERNELS"), QStringLiteral("SUBSYSTEM"),  QStringLiteral("SUBSYSTEMS"),
        QStringLiteral("DRIVER"),  QStringLiteral("DRIVERS"),    QStringLiteral("ATTRS"),
        QStringLiteral("TAGS"),    QStringLiteral("RESULT"),     QStringLiteral("TEST"),
        QStringLiteral("PROGRAM")};
    static const QSet<QString> assignOnly = {
        QStringLiteral("MODE"),    QStringLiteral("OWNER"),   QStringLiteral("GROUP"),
        QStringLiteral("SYMLINK"), QStringLiteral("RUN"),     QStringLiteral("OPTIONS"),
        QStringLiteral("GOTO"),    QStringLiteral("LABEL"),   QStringLiteral("NAME"),
        QStringLiteral("IMPORT")};
    static const QSet<QString> either = {QStringLiteral("ATTR"), QStringLiteral("ENV"),
                                         QStringLiteral("TAG")};
    static const QRegularExpression token(QStringLiteral(
        "\\G\\s*([A-Z_]+)(?:\\{([^}]*)\\})?\\s*(==|!=|\\+=|-=|:=|=)\\s*\"((?:[^\"\\\\]|\\\\.)*)\"\\s*(,|$)"));

    // Backslash-newline continues a rule on the next line.
    QString joined = text;
    joined.replace(QStringLiteral("\\\n"), QString());
    const QStringList lines = joined.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        Rule rule;
        rule.line = i + 1;
        int pos = 0;
        while (pos < line.size()) {
            const QRegularExpressionMatch m = token.match(line, pos);
            if (!m.hasMatch()) {
                *error = QStringLiteral("line %1: cannot read '%2'").arg(i + 1).arg(line.mid(pos));
                return false;
            }
            RuleKey k{m.captured(1), m.captured(2), m.captured(3), m.captured(4)};
            const bool known = matchOnly.contains(k.key) || assignOnly.contains(k.key)
                               || either.contains(k.key);
            if (!known || (matchOnly.contains(k.key) && !isMatchOp(k.op))
                || (assignOnly.contains(k.key) && isMatchOp(k.op))) {
                *error = QStringLiteral("line %1: %2%3 is not a valid key here")
                             .arg(i + 1).arg(k.key, k.op);
                return false;
            }
            rule.keys.append(k);
            pos = m.capturedEnd(0);
            if (m.captured(5).isEmpty())
                break;
        }
        rules->append(rule);
    }
    return true;
}

// The keys of a rule that udev checks against the device itself.
bool selfMatches(const RuleKey &k, const SysDevice &dev, const QSet<QString> &tags)
{
    QString value;
    if (k.key == QLatin1String("ACTION"))
        value = QStringLiteral("add");
    else if (k.key == QLatin1String("KERNEL"))
        value = dev.kernel;
    else if (k.key == QLatin1String("SUBSYSTEM"))
        value = dev.subsystem;
    else if (k.key == QLatin1String("ATTR"))
        value = dev.attrs.value(k.attr);
    else if (k.key == QLatin1String("TAG"))
        return tags.contains(k.value) == (k.op == QLatin1String("=="));
    else
        return false; // anything the replay does not model counts as "no match"
    return patternMatches(k.value, value) == (k.op == QLatin1String("=="));
}

// The parent keys (KERNELS, SUBSYSTEMS, ATTRS) must all hold on one and the same node of
// the chain, the device itself included.
bool parentMatches(const QVector<RuleKey> &keys, const QVector<SysDevice> &chain)
{
    if (keys.isEmpty())
        return true;
    for (const SysDevice &node : chain) {
        bool all = true;
        for (const RuleKey &k : keys) {
            QString value;
            bool present = true;
            if (k.key == QLatin1String("KERNELS"))
                value = node.kernel;
            else if (k.key == QLatin1String("SUBSYSTEMS"))
                value = node.subsystem;
            else if (k.key == QLatin1String("ATTRS")) {
                present = node.attrs.contains(k.attr);
                value = node.attrs.value(k.attr);
            } else
                present = false;
            const bool hit = present && patternMatches(k.value, value);
            if (hit != (k.op == QLatin1String("=="))) {
                all = false;
                break;
            }
        }
        if (all)
            return true;
    }
    return false;
}

Outcome replay(const QVector<Rule> &rules, const QVector<SysDevice> &chain)
{
    Outcome out;
    QString skipTo;
    for (const Rule &rule : rules) {
        if (!skipTo.isEmpty()) {
            const bool isLabel = std::any_of(rule.keys.begin(), rule.keys.end(), [&](const RuleKey &k) {
                return k.key == QLatin1String("LABEL") && k.value == skipTo;
            });
            if (!isLabel)
                continue;
            skipTo.clear();
        }
        QVector<RuleKey> parentKeys;
        bool matches = true;
        for (const RuleKey &k : rule.keys) {
            if (!isMatchOp(k.op))
                continue;
            if (k.key == QLatin1String("KERNELS") || k.key == QLatin1String("SUBSYSTEMS")
                || k.key == QLatin1String("ATTRS"))
                parentKeys.append(k);
            else if (!selfMatches(k, chain.first(), out.tags))
                matches = false;
        }
        if (!matches || !parentMatches(parentKeys, chain))
            continue;
        for (const RuleKey &k : rule.keys) {
            if (k.key == QLatin1String("TAG")) {
                if (k.op == QLatin1String("+="))
                    out.tags.insert(k.value);
                else if (k.op == QLatin1String("-="))
                    out.tags.remove(k.value);
                else if (!isMatchOp(k.op))
                    out.tags = {k.value};
            } else if (k.key == QLatin1String("MODE")) {
                out.mode = k.value;
            } else if (k.key == QLatin1String("GROUP")) {
                out.group = k.value;
            } else if (k.key == QLatin1String("GOTO")) {
                skipTo = k.value;
            }
        }
    }
    return out;
}

QString hex4(quint16 v) { return QStringLiteral("%1").arg(v, 4, 16, QLatin1Char('0')); }

// The sysfs chain of a keypad's hidraw node as the kernel lays it out: hidraw node, HID
// device, USB interface, USB device (which carries idVendor/idProduct in lower-case hex).
QVector<SysDevice> keypadChain(quint16 vid, quint16 pid, const QString &subsystem = QStringLiteral("hidraw"),
                               const QString &kernel = QStringLiteral("hidraw3"))
{
    const QString hidName = QStringLiteral("0003:%1:%2.0004").arg(hex4(vid).toUpper(), hex4(pid).toUpper());
    return {
        {subsystem, kernel, {{QStringLiteral("dev"), QStringLiteral("243:3")}}},
        {QStringLiteral("hid"), hidName, {{QStringLiteral("country"), QStringLiteral("00")}}},
        {QStringLiteral("usb"), QStringLiteral("1-2:1.1"),
         {{QStringLiteral("bInterfaceNumber"), QStringLiteral("01")},
          {QStringLiteral("bInterfaceClass"), QStringLiteral("03")}}},
        {QStringLiteral("usb"), QStringLiteral("1-2"),
         {{QStringLiteral("idVendor"), hex4(vid)},
          {QStringLiteral("idProduct"), hex4(pid)},
          {QStringLiteral("bDeviceClass"), QStringLiteral("00")}}},
    };
}

// Opening the node for everybody (other bits of the mode) is exactly what uaccess avoids.
bool worldAccessible(const Outcome &o)
{
    bool ok = false;
    const int mode = o.mode.toInt(&ok, 8);
    return ok && (mode & 07) != 0;
}

bool grantsUser(const QVector<Rule> &rules, const QVector<SysDevice> &chain)
{
    return replay(rules, chain).tags.contains(QStringLiteral("uaccess"));
}

QString readSource(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(f.readAll());
}

} // namespace

class TstUdevRule : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void everyKeypadIsGranted_data();
    void everyKeypadIsGranted();
    void ruleFollowsTheScanList();
    void otherDevicesAreLeftAlone();
    void replayRejectsBrokenRules_data();
    void replayRejectsBrokenRules();
    void metainfoNamesEveryKeypad();

private:
    QVector<Rule> m_rules;
};

void TstUdevRule::initTestCase()
{
    const QString path = sourceFile(QStringLiteral("packaging/70-macropad-studio.rules"));
    QVERIFY2(!path.isEmpty(), "packaging/70-macropad-studio.rules not found");
    const QString text = readSource(path);
    QVERIFY(!text.isEmpty());
    QString error;
    QVERIFY2(parseRules(text, &m_rules, &error), qPrintable(error));
    QVERIFY(!m_rules.isEmpty());
}

void TstUdevRule::everyKeypadIsGranted_data()
{
    QTest::addColumn<int>("vid");
    QTest::addColumn<int>("pid");
    for (const Identity &id : kKeypads)
        QTest::newRow(qPrintable(hex4(id.vendorId) + QLatin1Char(':') + hex4(id.productId)))
            << int(id.vendorId) << int(id.productId);
}

void TstUdevRule::everyKeypadIsGranted()
{
    QFETCH(int, vid);
    QFETCH(int, pid);
    // The keypad exposes several interfaces, each its own hidraw node; the program may open
    // any of them, so each must be granted.
    for (const QString &node : {QStringLiteral("hidraw0"), QStringLiteral("hidraw3"), QStringLiteral("hidraw12")}) {
        const auto chain = keypadChain(quint16(vid), quint16(pid), QStringLiteral("hidraw"), node);
        const Outcome o = replay(m_rules, chain);
        QVERIFY2(o.tags.contains(QStringLiteral("uaccess")), qPrintable(node));
        QVERIFY2(!worldAccessible(o), qPrintable(QStringLiteral("MODE=%1").arg(o.mode)));
    }
}

void TstUdevRule::ruleFollowsTheScanList()
{
    // Every identity the program scans for must be reachable without root, and the scan
    // list must be the one written above.
    const auto &candidates = HIDManager::candidates();
    QCOMPARE(candidates.size(), int(std::size(kKeypads)));
    for (int i = 0; i < candidates.size(); ++i) {
        QCOMPARE(candidates.at(i).vendorId, kKeypads[i].vendorId);
        QCOMPARE(candidates.at(i).productId, kKeypads[i].productId);
        QVERIFY2(grantsUser(m_rules, keypadChain(candidates.at(i).vendorId, candidates.at(i).productId)),
                 qPrintable(hex4(candidates.at(i).vendorId) + QLatin1Char(':') + hex4(candidates.at(i).productId)));
    }
}

void TstUdevRule::otherDevicesAreLeftAlone()
{
    // Neighbouring and crossed identities of other products.
    const Identity strangers[] = {{0x1189, 0x8834}, {0x1189, 0x8841}, {0x514C, 0x4155},
                                  {0x4C4A, 0x8850}, {0x1189, 0x4155}, {0x046D, 0xC52B},
                                  {0x0000, 0x0000}};
    for (const Identity &s : strangers) {
        QVERIFY2(!grantsUser(m_rules, keypadChain(s.vendorId, s.productId)),
                 qPrintable(hex4(s.vendorId) + QLatin1Char(':') + hex4(s.productId)));
    }
    // The keypad's keyboard and mouse event nodes must not be handed out: read access to
    // them is read access to everything typed on the keypad. The program needs hidraw only.
    const Identity keypad = kKeypads[2];
    QVERIFY(!grantsUser(m_rules, keypadChain(keypad.vendorId, keypad.productId, QStringLiteral("input"),
                                             QStringLiteral("event7"))));
    QVERIFY(!grantsUser(m_rules, keypadChain(keypad.vendorId, keypad.productId, QStringLiteral("usb"),
                                             QStringLiteral("1-2"))));
}

void TstUdevRule::replayRejectsBrokenRules_data()
{
    // Each variant is a mistake that is easy to make in such a rule; the replay above must
    // see that it fails, or the check of the real rule would prove nothing.
    QTest::addColumn<QString>("rule");
    QTest::addColumn<bool>("parses");
    QTest::addColumn<bool>("grants");
    QTest::addColumn<bool>("worldOpen");
    const QString good = QStringLiteral(
        R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="514c", ATTRS{idProduct}=="8851", TAG+="uaccess")");
    QTest::newRow("sound") << good << true << true << false;
    QTest::newRow("continued line") << QStringLiteral(
        "SUBSYSTEM==\"hidraw\", \\\n  ATTRS{idVendor}==\"514c\", ATTRS{idProduct}==\"8851\", TAG+=\"uaccess\"")
                                    << true << true << false;
    QTest::newRow("alternatives and globs") << QStringLiteral(
        R"(KERNEL=="hidraw*", ATTRS{idVendor}=="1189|514c", ATTRS{idProduct}=="885[01]", TAG+="uaccess")")
                                            << true << true << false;
    QTest::newRow("upper-case hex") << QStringLiteral(
        R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="514C", ATTRS{idProduct}=="8851", TAG+="uaccess")")
                                    << true << false << false;
    QTest::newRow("ATTR on the node") << QStringLiteral(
        R"(SUBSYSTEM=="hidraw", ATTR{idVendor}=="514c", ATTR{idProduct}=="8851", TAG+="uaccess")")
                                      << true << false << false;
    QTest::newRow("ids from two devices") << QStringLiteral(
        R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="514c", ATTRS{bInterfaceNumber}=="01", TAG+="uaccess")")
                                          << true << false << false;
    QTest::newRow("usb subsystem") << QStringLiteral(
        R"(SUBSYSTEM=="usb", ATTRS{idVendor}=="514c", ATTRS{idProduct}=="8851", TAG+="uaccess")")
                                   << true << false << false;
    QTest::newRow("tag taken back later") << good + QStringLiteral("\n") + QStringLiteral(
        R"(SUBSYSTEM=="hidraw", TAG-="uaccess")") << true << false << false;
    QTest::newRow("assignment instead of match") << QStringLiteral(
        R"(SUBSYSTEM="hidraw", ATTRS{idVendor}=="514c", TAG+="uaccess")") << false << false << false;
    QTest::newRow("missing quote") << QStringLiteral(
        R"(SUBSYSTEM=="hidraw, ATTRS{idVendor}=="514c", TAG+="uaccess")") << false << false << false;
    QTest::newRow("world writable") << QStringLiteral(
        R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="514c", ATTRS{idProduct}=="8851", MODE="0666")")
                                    << true << false << true;
    QTest::newRow("skipped by GOTO") << QStringLiteral(
        "SUBSYSTEM==\"hidraw\", GOTO=\"end\"\n") + good + QStringLiteral("\nLABEL=\"end\"")
                                     << true << false << false;
}

void TstUdevRule::replayRejectsBrokenRules()
{
    QFETCH(QString, rule);
    QFETCH(bool, parses);
    QFETCH(bool, grants);
    QFETCH(bool, worldOpen);
    QVector<Rule> rules;
    QString error;
    QCOMPARE(parseRules(rule, &rules, &error), parses);
    if (!parses)
        return;
    const auto chain = keypadChain(0x514C, 0x8851);
    QCOMPARE(grantsUser(rules, chain), grants);
    QCOMPARE(worldAccessible(replay(rules, chain)), worldOpen);
}

void TstUdevRule::metainfoNamesEveryKeypad()
{
    // Software centres offer the program when a keypad is plugged in by matching the
    // kernel's modalias (upper-case hex) against the metainfo's list.
    const QString path = sourceFile(QStringLiteral("packaging/org.macropadstudio.MacropadStudio.metainfo.xml"));
    QVERIFY2(!path.isEmpty(), "metainfo not found");
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&f);
    QStringList modaliases;
    bool inProvides = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("provides"))
            inProvides = true;
        else if (xml.isEndElement() && xml.name() == QLatin1String("provides"))
            inProvides = false;
        else if (inProvides && xml.isStartElement() && xml.name() == QLatin1String("modalias"))
            modaliases << xml.readElementText().trimmed();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(modaliases.size(), int(std::size(kKeypads)));

    const auto kernelModalias = [](quint16 vid, quint16 pid) {
        return QStringLiteral("usb:v%1p%2d0100dc00dsc00dp00ic03isc00ip00in01")
            .arg(hex4(vid).toUpper(), hex4(pid).toUpper());
    };
    const auto advertised = [&](quint16 vid, quint16 pid) {
        return std::any_of(modaliases.begin(), modaliases.end(), [&](const QString &p) {
            return patternMatches(p, kernelModalias(vid, pid));
        });
    };
    for (const Identity &id : kKeypads)
        QVERIFY2(advertised(id.vendorId, id.productId), qPrintable(kernelModalias(id.vendorId, id.productId)));
    QVERIFY(!advertised(0x1189, 0x8834));
    QVERIFY(!advertised(0x046D, 0xC52B));
}

QTEST_GUILESS_MAIN(TstUdevRule)
#include "tst_udevrule.moc"
