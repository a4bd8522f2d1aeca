#include "pages/clampeddelayspinbox.h"

#include <QLineEdit>

#include <algorithm>

ClampedDelaySpinBox::ClampedDelaySpinBox(QWidget *parent)
    : QSpinBox(parent)
{
}

void ClampedDelaySpinBox::stepFromArrow(int steps)
{
    stepBy(steps);
    if (QLineEdit *edit = lineEdit()) {
        edit->deselect();
        edit->end(false);
    }
}

bool ClampedDelaySpinBox::parseDigits(const QString &text, qint64 &value) const
{
    QString t = text;
    if (!prefix().isEmpty() && t.startsWith(prefix()))
        t.remove(0, prefix().size());
    if (!suffix().isEmpty() && t.endsWith(suffix()))
        t.chop(suffix().size());
    t = t.trimmed();
    // Long enough for any delay, short enough never to overflow.
    if (t.isEmpty() || t.size() > 12)
        return false;
    for (const QChar c : t)
        if (!c.isDigit())
            return false;
    bool ok = false;
    value = t.toLongLong(&ok);
    return ok;
}

QValidator::State ClampedDelaySpinBox::validate(QString &input, int &pos) const
{
    qint64 value = 0;
    if (parseDigits(input, value) && value > maximum())
        return QValidator::Acceptable;
    return QSpinBox::validate(input, pos);
}

int ClampedDelaySpinBox::valueFromText(const QString &text) const
{
    qint64 value = 0;
    if (parseDigits(text, value))
        return int(std::clamp<qint64>(value, minimum(), maximum()));
    return QSpinBox::valueFromText(text);
}
