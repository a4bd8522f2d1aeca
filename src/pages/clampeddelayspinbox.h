#pragma once

#include <QSpinBox>

// A delay box that takes a typed number above its maximum as the maximum (70000 becomes
// 60000) instead of refusing the keystroke, and that can step from its own arrow buttons
// leaving the cursor at the end of the text.
class ClampedDelaySpinBox : public QSpinBox
{
    Q_OBJECT

public:
    explicit ClampedDelaySpinBox(QWidget *parent = nullptr);

    // Steps by `steps`, then clears the text selection and puts the cursor at the end, so
    // the next keystroke extends the number rather than replacing it.
    void stepFromArrow(int steps);

protected:
    QValidator::State validate(QString &input, int &pos) const override;
    int valueFromText(const QString &text) const override;

private:
    // The digits of `text` without prefix and suffix; false when it holds anything else.
    bool parseDigits(const QString &text, qint64 &value) const;
};
