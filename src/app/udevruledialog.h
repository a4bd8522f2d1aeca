#pragma once

#include <QDialog>
#include <QStringList>

class QPushButton;

// What to do when the keypad is found but may not be opened: the commands that install the
// udev rule and make udev apply it, to copy into a terminal in one click.
class UdevRuleDialog : public QDialog
{
    Q_OBJECT

public:
    explicit UdevRuleDialog(QWidget *parent = nullptr);

    // The commands for this machine: with the rule already among udev's rules only the two
    // that apply it; else the installation of the rule file first (found beside the program
    // when it runs from a build, else named as in the source tree).
    static QStringList commands();
    QPushButton *copyButton() const { return m_copy; }

private:
    QPushButton *m_copy = nullptr;
};
