#include "app/unsavedchangesbox.h"

#include <QAbstractButton>
#include <QStringList>

namespace {

QString say(const char *english, UiText::Language language)
{
    return UiText::text(QString::fromLatin1(english), language);
}

} // namespace

UnsavedChangesBox::UnsavedChangesBox(Situation situation, int unsaved, int elsewhere,
                                     UiText::Language language, QWidget *parent)
    : QMessageBox(parent)
{
    setObjectName(QStringLiteral("unsavedChangesBox"));
    setIcon(QMessageBox::Warning);
    setWindowTitle(say("Unsaved changes", language));

    QStringList details;
    details << say("Changes not saved yet: %1", language).arg(unsaved);
    switch (situation) {
    case Situation::CanSave:
        setText(say("Save the changes to the keypad before closing?", language));
        if (elsewhere > 0)
            details << say("Changes kept for a keypad that is not connected: %1. They are lost "
                          "when the window closes.",
                          language)
                           .arg(elsewhere);
        setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        setDefaultButton(QMessageBox::Save);
        break;
    case Situation::Saving:
        setText(say("The changes are still being saved.", language));
        setStandardButtons(QMessageBox::Discard | QMessageBox::Cancel);
        setDefaultButton(QMessageBox::Cancel);
        break;
    case Situation::KeypadAbsent:
        setText(say("The keypad these changes belong to is not connected, so they cannot be "
                   "saved.",
                   language));
        details << say("Connect that keypad and press Save Settings to keep them.", language);
        setStandardButtons(QMessageBox::Discard | QMessageBox::Cancel);
        setDefaultButton(QMessageBox::Cancel);
        break;
    case Situation::Rereading:
        setText(say("Read the keypad again and drop the changes not saved yet?", language));
        details << say("Press Save Settings first to keep them.", language);
        setStandardButtons(QMessageBox::Discard | QMessageBox::Cancel);
        setDefaultButton(QMessageBox::Cancel);
        break;
    }
    setInformativeText(details.join(QLatin1Char('\n')));
    setEscapeButton(QMessageBox::Cancel);

    // Qt names its standard buttons only through a translator, which this program does not
    // load; the window's own table gives them in its language.
    const struct {
        QMessageBox::StandardButton button;
        const char *text;
    } names[] = {{QMessageBox::Save, "Save"},
                 {QMessageBox::Discard, "Discard"},
                 {QMessageBox::Cancel, "Cancel"}};
    for (const auto &n : names)
        if (QAbstractButton *b = button(n.button))
            b->setText(say(n.text, language));
    if (situation == Situation::Rereading)
        button(QMessageBox::Discard)->setText(say("Read Again", language));
}

QMessageBox *UnsavedChangesBox::closeRefused(int unsaved, UiText::Language language,
                                             QWidget *parent)
{
    auto *box = new QMessageBox(QMessageBox::Warning, say("Unsaved changes", language),
                                say("The window stays open: not every change was saved.", language),
                                QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("closeRefusedBox"));
    box->setInformativeText(say("Changes not saved yet: %1", language).arg(unsaved));
    box->button(QMessageBox::Ok)->setText(say("OK", language));
    box->setAttribute(Qt::WA_DeleteOnClose);
    return box;
}
