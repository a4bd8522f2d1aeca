#include "app/keypadlistcli.h"

#include "app/keypadsummary.h"
#include "device/hidmanager.h"

#include <cstdio>

namespace KeypadListCli {

namespace {

QString modelLine(const KeypadEntry &k)
{
    if (!k.modelKnown)
        return QStringLiteral("model unknown");
    const QString counts = KeypadSummary::model(k, UiText::Language::English);
    const int layers = k.legacy ? k.legacyModel.layerCount : k.model.layerCount;
    const QString kind = k.legacy ? QStringLiteral("legacy, firmware %1").arg(k.legacyModel.version)
                                  : QStringLiteral("current protocol");
    return QStringLiteral("%1, %2 layers (%3)").arg(counts).arg(layers).arg(kind);
}

void print(FILE *stream, const QString &line)
{
    std::fputs((line + QLatin1Char('\n')).toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

QStringList lines(const QVector<KeypadEntry> &keypads)
{
    QStringList out;
    for (int i = 0; i < keypads.size(); ++i) {
        const KeypadEntry &k = keypads[i];
        out << QStringLiteral("%1  %2  %3  %4")
                   .arg(i + 1)
                   .arg(modelLine(k), k.identity(), QString::fromUtf8(k.path));
    }
    return out;
}

int select(const QVector<KeypadEntry> &keypads, const QString &selector, QString *error)
{
    bool isNumber = false;
    const int number = selector.trimmed().toInt(&isNumber);
    // A serial number may be all digits: a keypad whose serial number it is wins over the
    // number in the list.
    for (int i = 0; i < keypads.size(); ++i)
        if (keypads[i].matches(selector))
            return i;
    if (isNumber && number >= 1 && number <= keypads.size())
        return number - 1;
    if (error) {
        *error = keypads.isEmpty()
                     ? QStringLiteral("No keypad is plugged in.")
                     : QStringLiteral("No plugged keypad is '%1': give a number from --list, a serial "
                                      "number or a device path.")
                           .arg(selector);
    }
    return -1;
}

int run(HIDManager *hid)
{
    const QVector<KeypadEntry> keypads = hid->surveyKeypads();
    if (keypads.isEmpty()) {
        print(stderr, QStringLiteral("No keypad found; connect it with a USB cable."));
        return 1;
    }
    for (const QString &line : lines(keypads))
        print(stdout, line);
    return 0;
}

} // namespace KeypadListCli
